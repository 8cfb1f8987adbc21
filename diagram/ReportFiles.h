#pragma once

#include "report/ComparisonReport.h"
#include "report/HtmlReport.h"

#include <QSize>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CA1TimeSeries;
class CLogFile;
struct CONFIDENCERESULT;

// A series to put into a report file; everything borrowed.
struct REPORTSERIES {
    CA1TimeSeries* pSeries = nullptr;
    std::size_t nSeries = 0; // from 1
    const CONFIDENCERESULT* pConfidence = nullptr;
    std::optional<std::uint32_t> nFitSeed;
};

// SOURCE_DATE_EPOCH when it holds a whole number of seconds; otherwise the
// report carries no date.
REPORTDOCUMENTOPTIONS ReportOptionsFromEnvironment();

// The input file's name, size and SHA-256 (Qt's hash, streamed: a log of a
// million lines is never held whole); an unreadable file leaves the size 0
// and the digest empty.
REPORTINPUT DescribeReportInput(const std::string& path);

// What the report export dialog's filters choose: the format and whether
// the report holds the current series or every series.
struct REPORTCHOICE {
    bool bPdf = false;
    bool bAllSeries = false;
};

// The file types of the report export dialog in "description|pattern|"
// notation, the list ended by "||"; filter indices count from 1.
std::string ReportFileFilter();
inline constexpr int kDefaultReportFilterIndex = 1;
// The choice of a filter (the first one's for an index out of range) and
// the path completed by it: a name without extension gets the filter's;
// an own ".pdf" or ".html"/".htm" decides the format whatever the filter.
REPORTCHOICE ReportChoiceForFilter(int filterIndex, std::string& path);

// The comparison of series as a self-contained HTML file with the overlaid
// diagrams at the given size; reported to the log like the reports.
bool WriteComparisonHtml(const std::string& path, const std::vector<COMPAREDSERIES>& series,
                         const COMPARISONVERDICT* pVerdict, QSize diagramSize, CLogFile& log);

// Writes the HTML or PDF report as `choice` says.
bool WriteReport(const std::string& path, bool bPdf, const std::vector<REPORTSERIES>& series,
                 QSize diagramSize, const REPORTDOCUMENTOPTIONS& options, CLogFile& log);

// The self-contained HTML report (diagrams as PNG data URIs) and the PDF
// report (A4, one series to a page, its text selectable), both written by
// the safe replace and reported to the log. False when the file could not
// be written; an earlier file of that name then stays as it was.
bool WriteHtmlReport(const std::string& path, const std::vector<REPORTSERIES>& series,
                     QSize diagramSize, const REPORTDOCUMENTOPTIONS& options, CLogFile& log);
bool WritePdfReport(const std::string& path, const std::vector<REPORTSERIES>& series,
                    QSize diagramSize, const REPORTDOCUMENTOPTIONS& options, CLogFile& log);
