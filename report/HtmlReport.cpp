#include "report/HtmlReport.h"

#include "data/CA1TimeSeries.h"
#include "data/LogImport.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/PairSumKernels.h"
#include "infra/CNumber.h"
#include "infra/Version.h"
#include "report/StabilityReport.h"

#include <ctime>
#include <utility>

namespace {

// Decodes one UTF-8 sequence starting at `i`; U+FFFD and one byte for
// anything that is not well-formed (a Latin-1 file name, a cut sequence).
char32_t NextCodePoint(const std::string& text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    }
    if (length == 0 || i + length > text.size()) {
        ++i;
        return U'\uFFFD';
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return U'\uFFFD';
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are no characters.
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return U'\uFFFD';
    }
    i += length;
    return code;
}

// The settings that gave the series' results, as name and value.
std::vector<std::pair<std::string, std::string>> SettingsOf(const SERIESREPORTINPUT& input) {
    const CA1TimeSeries& series = *input.pSeries;
    std::vector<std::pair<std::string, std::string>> rows = {
        {"Log format", series.m_nImportType == kImportTypeORVEX ? "ORVEXStab" : "C1A1"},
        {"x-y-plane rotation", FormatC("%.1f deg", series.m_dRotationDeg)},
        {"y-mirror flag", FormatC("%d", static_cast<int>(series.m_nMirrorY))},
        {"Minimum diversity", FormatC("%d", static_cast<int>(series.m_nMinDiversity))},
        {"Electron energy", FormatC("%.1f keV", series.m_dElEnergy)},
        {"Target resolution", FormatC("%.2f A", series.m_dTargetRes)},
        {"Phase tolerance", FormatC("%.3f Pi", series.m_dLimitPhase)},
        {"Astigmatism tolerance", FormatC("%.3f nm", series.m_dTolerance)},
        {"Model fit", series.HasModel() ? "fitted" : "none"},
        {"Fit seed", input.nFitSeed ? FormatC("%u", static_cast<unsigned>(*input.nFitSeed))
                                    : std::string("not recorded")},
    };
    const CONFIDENCERESULT* pConfidence = input.pConfidence;
    if (pConfidence && pConfidence->bValid) {
        rows.emplace_back("Bootstrap replicates",
                          FormatC("%d", static_cast<int>(pConfidence->nReplicates)));
        rows.emplace_back("Bootstrap seed",
                          FormatC("%u", static_cast<unsigned>(pConfidence->nSeed)));
    } else {
        rows.emplace_back("Bootstrap replicates", "none (no confidence intervals)");
    }
    return rows;
}

std::vector<std::pair<std::string, std::string>> ProvenanceOf(const SERIESREPORTINPUT& input) {
    const CA1TimeSeries& series = *input.pSeries;
    return {
        {"Program", std::string(kTessaricProgramName) + " v" + kTessaricVersionText},
        {"Pair-sum kernel", CharKernelName(ChosenCharKernel())},
        {"Input file", input.input.strName},
        {"Input size", FormatC("%ju bytes", input.input.nBytes)},
        {"Input SHA-256",
         input.input.strSha256.empty() ? std::string("not available") : input.input.strSha256},
        // The logs carry time stamps in seconds, no calendar date.
        {"Recording time stamps", FormatC("%d s to %d s", static_cast<int>(series.m_nStartTime),
                                          static_cast<int>(series.m_nStopTime))},
        {"Log lines", FormatC("%d to %d", static_cast<int>(series.m_nFirstLine),
                              static_cast<int>(series.m_nLastLine))},
    };
}

void AppendTable(std::string& html, const std::vector<std::pair<std::string, std::string>>& rows) {
    html += "<table class=\"facts\">\n";
    for (const auto& [name, value] : rows)
        html += "<tr><th>" + HtmlText(name) + "</th><td>" + HtmlText(value) + "</td></tr>\n";
    html += "</table>\n";
}

constexpr const char* kStyle = "body{font-family:sans-serif;margin:2em;color:#000;background:#fff}"
                               "pre{font-family:monospace;font-size:9pt}"
                               "table.facts th{text-align:left;padding-right:1em}"
                               "div.series{page-break-before:always}"
                               "td{vertical-align:top}"
                               "td.facts{padding-left:2em}"
                               "td.diagram{padding:4px}";

} // namespace

std::string BuildReportAppendix(const CA1TimeSeries& series, const CONFIDENCERESULT* pConfidence) {
    std::string appendix = BuildWholeIntervalBlock(series);
    // A refused bootstrap still gets its block, which says why.
    if (pConfidence && series.HasCharFunction() &&
        (pConfidence->bValid || !pConfidence->strNotComputed.empty()))
        appendix += BuildConfidenceBlock(series, *pConfidence);
    return appendix;
}

std::string BuildSeriesReportText(const CA1TimeSeries& series,
                                  const CONFIDENCERESULT* pConfidence) {
    return BuildStabilityReport(series) + BuildReportAppendix(series, pConfidence);
}

std::string HtmlText(const std::string& utf8) {
    std::string html;
    html.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t code = NextCodePoint(utf8, i);
        switch (code) {
        case U'&':
            html += "&amp;";
            break;
        case U'<':
            html += "&lt;";
            break;
        case U'>':
            html += "&gt;";
            break;
        case U'"':
            html += "&quot;";
            break;
        // The report's CR LF line ends become the document's one LF.
        case U'\r':
            break;
        default:
            if (code < 0x80)
                html += static_cast<char>(code);
            else
                html += FormatC("&#x%X;", static_cast<unsigned>(code));
        }
    }
    return html;
}

std::string UtcDateText(long long nEpochSeconds) {
    const std::time_t time = static_cast<std::time_t>(nEpochSeconds);
    std::tm utc{};
    if (!gmtime_r(&time, &utc))
        return FormatC("%lld s after 1970-01-01 UTC", nEpochSeconds);
    return FormatC("%04d-%02d-%02d %02d:%02d:%02d UTC", utc.tm_year + 1900, utc.tm_mon + 1,
                   utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
}

std::string BuildSeriesReportHtml(const SERIESREPORTINPUT& input, int nDiagramColumns) {
    const CA1TimeSeries& series = *input.pSeries;
    std::string html = "<h2>" +
                       HtmlText(FormatC("Series %03zu of ", input.nSeries) + input.input.strName) +
                       "</h2>\n";
    html += "<p>" + HtmlText(GetReportHeadline(series)) + "</p>\n";
    html += "<table class=\"layout\"><tr><td class=\"report\">";
    const std::string text = BuildSeriesReportText(series, input.pConfidence);
    // A series without a characteristic function has no report text.
    if (series.HasCharFunction())
        html += "<pre>" + HtmlText(text) + "</pre>";
    html += "</td>\n<td class=\"facts\">\n<h3>Provenance</h3>\n";
    AppendTable(html, ProvenanceOf(input));
    html += "<h3>Evaluation settings</h3>\n";
    AppendTable(html, SettingsOf(input));
    html += "</td></tr></table>\n";
    if (input.images.empty())
        return html;
    const std::size_t columns = nDiagramColumns > 0 ? static_cast<std::size_t>(nDiagramColumns) : 1;
    html += "<h3>Diagrams</h3>\n<table class=\"diagrams\">\n";
    for (std::size_t i = 0; i < input.images.size(); ++i) {
        const REPORTIMAGE& image = input.images[i];
        if (i % columns == 0)
            html += "<tr>";
        const std::string caption = HtmlText(image.strCaption);
        html += FormatC("<td class=\"diagram\"><img src=\"%s\" width=\"%d\" height=\"%d\" "
                        "alt=\"%s\"><br>%s</td>",
                        HtmlText(image.strSource).c_str(), image.nWidth, image.nHeight,
                        caption.c_str(), caption.c_str());
        if (i % columns == columns - 1 || i + 1 == input.images.size())
            html += "</tr>\n";
    }
    return html + "</table>\n";
}

std::string BuildHtmlReport(const std::vector<SERIESREPORTINPUT>& series,
                            const REPORTDOCUMENTOPTIONS& options) {
    const std::string title = std::string(kTessaricProgramName) + " - Astigmatism Stability Report";
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>" +
                       HtmlText(title) + "</title>\n<style>" + kStyle +
                       "</style>\n</head>\n<body>\n<h1>" + HtmlText(title) + "</h1>\n";
    html += FormatC("<p>%zu series", series.size());
    if (options.nReportEpoch)
        html += ", report of " + UtcDateText(*options.nReportEpoch);
    html += ".</p>\n";
    for (std::size_t i = 0; i < series.size(); ++i) {
        // The first series follows the title on its page.
        html += i == 0 ? "<div>\n" : "<div class=\"series\">\n";
        html += BuildSeriesReportHtml(series[i]) + "</div>\n";
    }
    return html + "</body>\n</html>\n";
}
