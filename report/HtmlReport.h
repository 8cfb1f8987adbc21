#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CA1TimeSeries;
struct CONFIDENCERESULT;

// A diagram of a report: the caller renders it (the core draws nothing) and
// names it by the image source, a data URI for a self-contained file or a
// resource name for a document that holds the images itself.
struct REPORTIMAGE {
    std::string strCaption;
    std::string strSource;
    int nWidth = 0;
    int nHeight = 0;
};

// Where a series came from. The digest is the input file's SHA-256 in lower
// case hex; empty when the file could no longer be read.
struct REPORTINPUT {
    std::string strName;
    std::uintmax_t nBytes = 0;
    std::string strSha256;
};

// Everything one series contributes to a report; the series and the
// confidence result are borrowed, the confidence may be absent.
struct SERIESREPORTINPUT {
    const CA1TimeSeries* pSeries = nullptr;
    std::size_t nSeries = 0; // from 1
    const CONFIDENCERESULT* pConfidence = nullptr;
    // The seed of the fit's restarts; absent when the series was fitted
    // without a recorded seed or not at all.
    std::optional<std::uint32_t> nFitSeed;
    REPORTINPUT input;
    std::vector<REPORTIMAGE> images;
};

// The report's own date as the build-reproducibility convention gives it
// (SOURCE_DATE_EPOCH, seconds since 1970 UTC); absent: the report holds no
// date at all, so that the same input always gives the same bytes.
struct REPORTDOCUMENTOPTIONS {
    std::optional<long long> nReportEpoch;
};

// The blocks that follow the report: the whole-interval lifetimes of a
// model, then the confidence intervals when they were computed.
std::string BuildReportAppendix(const CA1TimeSeries& series, const CONFIDENCERESULT* pConfidence);

// The text of a series as the report pages and files show it: the stability
// report (with its fit notes) followed by its appendix; CR LF line ends.
std::string BuildSeriesReportText(const CA1TimeSeries& series, const CONFIDENCERESULT* pConfidence);

// Text for HTML: markup characters escaped, every character beyond ASCII
// written as a character reference, so that the bytes do not depend on any
// encoding; a byte that is not UTF-8 becomes U+FFFD.
std::string HtmlText(const std::string& utf8);

// The "YYYY-MM-DD hh:mm:ss UTC" of seconds since 1970, independent of the
// time zone and locale.
std::string UtcDateText(long long nEpochSeconds);

// One series as an HTML fragment: heading, report text beside its
// provenance and settings, then the diagrams, `nDiagramColumns` to a row.
// Plain tables and paragraphs only, so that Qt's rich-text engine lays it
// out as a browser does.
std::string BuildSeriesReportHtml(const SERIESREPORTINPUT& input, int nDiagramColumns = 2);

// A whole HTML document of the series, in their order; pure ASCII and
// locale-independent, the same bytes for the same inputs.
std::string BuildHtmlReport(const std::vector<SERIESREPORTINPUT>& series,
                            const REPORTDOCUMENTOPTIONS& options);
