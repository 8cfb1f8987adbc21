#pragma once

#include <string>

class CA1TimeSeries;

// The "Astigmatism Stability Report" of a series, CR LF line ends.
std::string BuildStabilityReport(const CA1TimeSeries& series);
std::string GetReportHeadline(const CA1TimeSeries& series);
// The headline of the log text page: which lines of the log the series holds.
std::string GetLogTextHeadline(const CA1TimeSeries& series);

// Writes the report of a series with a characteristic function as a text
// file (CR LF, safe replace), reporting like the data exports do. False when
// the series has no characteristic function or the file could not be written.
bool SaveStabilityReport(const CA1TimeSeries& series, const std::string& path);
