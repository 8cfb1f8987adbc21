#pragma once

#include <string>

class CA1TimeSeries;
struct CONFIDENCERESULT;

// The "Astigmatism Stability Report" of a series, CR LF line ends.
std::string BuildStabilityReport(const CA1TimeSeries& series);
std::string GetReportHeadline(const CA1TimeSeries& series);
// The headline of the log text page: which lines of the log the series holds.
std::string GetLogTextHeadline(const CA1TimeSeries& series);

// The "Confidence (90 %, B replicates)" block that follows the report when
// intervals were computed: one line per quantity with its estimate and
// interval, then the failed replicates; CR LF line ends, closed by the
// report's rule.
std::string BuildConfidenceBlock(const CA1TimeSeries& series, const CONFIDENCERESULT& confidence);

// The "Whole-interval lifetimes (stays inside)" block that follows the
// report of a series with a model: the times after which the astigmatism
// has stayed within the tolerance all along with 84 %, 50 % and 16 %
// probability, and how they were estimated; or why they are not available.
// CR LF line ends, closed by the report's rule; "" without a model.
std::string BuildWholeIntervalBlock(const CA1TimeSeries& series);

// Writes the report of a series with a characteristic function, followed by
// `appendix` (a block that follows the report, or ""), as a text file (CR LF,
// safe replace), reporting like the data exports do. False when the series
// has no characteristic function or the file could not be written.
bool SaveStabilityReport(const CA1TimeSeries& series, const std::string& path,
                         const std::string& appendix = {});
