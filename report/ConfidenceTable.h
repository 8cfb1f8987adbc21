#pragma once

#include <string>

class CA1TimeSeries;
struct CONFIDENCERESULT;

// Writes one row per bootstrap replicate (its parameters and lifetimes) as
// a text table like the data tables, so that the distribution behind the
// intervals can be plotted. Reports like the data exports; false when the
// result holds no replicates or the file could not be written.
bool ExportConfidenceTable(const CA1TimeSeries& series, const CONFIDENCERESULT& confidence,
                           const std::string& path);
