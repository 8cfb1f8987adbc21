#pragma once

#include <string>
#include <vector>

class CA1TimeSeries;

// Short warnings about the series and about a fitted model that the data
// support only weakly. On the series (with a characteristic function): many
// or long runs of missing images, outliers, a random walk that changed, pairs
// taken by the original method's rule. On the model: a parameter at the edge
// of the fit's range, a lifetime far beyond the measured time spans, too few
// points for four parameters. One short line each (it fits the report's
// width), saying what it means for the user; empty for a sound series and
// fit, or when the series has no characteristic function.
std::vector<std::string> FitNotes(const CA1TimeSeries& series);
