#pragma once

#include <string>
#include <vector>

class CA1TimeSeries;

// Short warnings about a fitted model that the data support only weakly: a
// parameter at the edge of the fit's range, a lifetime far beyond the
// measured time spans, too few points for four parameters. One short line
// each (it fits the report's width), saying what it means for the user;
// empty for a sound fit or when the series has no model.
std::vector<std::string> FitNotes(const CA1TimeSeries& series);
