#pragma once

#include <string>

class CA1TimeSeries;

// Writes t [s], P(a,t) and P_inside(a,t) on the probability table's time
// axis, as a text table like the data tables. Reports like them; false when
// the series has no model, no whole-interval curve (the log says why) or
// the file could not be written.
bool ExportWholeIntervalTable(const CA1TimeSeries& series, const std::string& path);
