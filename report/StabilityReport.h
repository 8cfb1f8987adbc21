#pragma once

#include <string>

class CA1TimeSeries;

// The "Astigmatism Stability Report" of a series, CR LF line ends.
std::string BuildStabilityReport(const CA1TimeSeries& series);
std::string GetReportHeadline(const CA1TimeSeries& series);
// The headline of the log text page: which lines of the log the series holds.
std::string GetLogTextHeadline(const CA1TimeSeries& series);
