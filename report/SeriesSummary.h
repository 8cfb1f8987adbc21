#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CA1TimeSeries;
class CLogFile;
struct CONFIDENCERESULT;

// One evaluated series as the batch summary lists it. The series and the
// confidence result are borrowed; the confidence may be absent (nullptr or
// not valid), and then the interval columns stay empty.
struct SUMMARYENTRY {
    std::string strFile;
    std::size_t nSeries = 0; // from 1, as the reports count
    const CA1TimeSeries* pSeries = nullptr;
    const CONFIDENCERESULT* pConfidence = nullptr;
};

// A field by RFC 4180: quoted, with its quotes doubled, when it holds a
// comma, a quote or a line break; as it stands otherwise.
std::string CsvField(const std::string& text);

// The evaluation state of a series in words: "model fitted", "direct
// method only" or "not evaluated".
std::string EvaluationStateText(const CA1TimeSeries& series);

// The first line (the program and its version) and the column header of the
// summary, each without its line end.
std::string SummaryVersionLine();
std::string SummaryHeaderLine();
// One row; a value that does not exist (no model, no time base, no
// interval) is an empty field, an unbounded lifetime the word "unbounded".
std::string SummaryRow(const SUMMARYENTRY& entry);

// Writes the version line, the header and one row per entry (CR LF, safe
// replace) and reports the outcome to the log. False when the file could not
// be written; what was there before then stays.
bool WriteSeriesSummary(const std::string& path, const std::vector<SUMMARYENTRY>& entries,
                        CLogFile& log);
