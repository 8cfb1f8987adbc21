#include "report/ComparisonReport.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/ProbabilityModel.h"
#include "evaluation/SeriesComparison.h"
#include "infra/CNumber.h"
#include "infra/Version.h"
#include "report/HtmlReport.h"
#include "report/SeriesSummary.h"

#include <cmath>

namespace {

// The rows of the table: the series' own value and the interval's index.
struct COMPARISONROW {
    const char* pszLabel;
    bool bTime;
    // "%.1f" for the lifetimes as the report writes them, "%.3G" for the
    // model parameters.
    const char* pszFormat;
    ConfidenceQuantity quantity;
    double (*value)(const CA1TimeSeries& series);
};

const COMPARISONROW kRows[] = {
    {"Di [nm]", false, "%.3G", kConfidenceDi, [](const CA1TimeSeries& s) { return s.m_dModelDi; }},
    {"Da [nm]", false, "%.3G", kConfidenceDa, [](const CA1TimeSeries& s) { return s.m_dModelDa; }},
    {"tc [s]", true, "%.3G", kConfidenceTc,
     [](const CA1TimeSeries& s) { return s.m_dModelTc * s.m_dPeriod; }},
    {"s [nm]", false, "%.3G", kConfidenceS, [](const CA1TimeSeries& s) { return s.m_dModelS; }},
    {"model lifetime [s]", true, "%.1f", kConfidenceModelLifetime,
     [](const CA1TimeSeries& s) { return s.m_dModelLifetime; }},
    {"lower limit 84% [s]", true, "%.1f", kConfidenceLowerLimit,
     [](const CA1TimeSeries& s) {
         return s.GetProbabilityLifetime(s.m_dTolerance, kUpperBandProbability);
     }},
    {"median limit 50% [s]", true, "%.1f", kConfidenceMedianLimit,
     [](const CA1TimeSeries& s) {
         return s.GetProbabilityLifetime(s.m_dTolerance, kMedianProbability);
     }},
    {"upper limit 16% [s]", true, "%.1f", kConfidenceUpperLimit,
     [](const CA1TimeSeries& s) {
         return s.GetProbabilityLifetime(s.m_dTolerance, kLowerBandProbability);
     }},
};

// Three significant digits, as the report gives the model; a lifetime
// beyond the program's range is "unbounded".
std::string ValueText(const CA1TimeSeries& series, const COMPARISONROW& row, double value) {
    if (std::isnan(value) || (row.bTime && !series.HasTimeBase()))
        return "-";
    if (std::isinf(value) || (row.bTime && IsUnboundedTime(value, series.m_dPeriod)))
        return "unbounded";
    return FormatC(row.pszFormat, value);
}

std::string CellText(const COMPAREDSERIES& item, const COMPARISONROW& row) {
    const CA1TimeSeries& series = *item.pSeries;
    if (!series.HasModel())
        return "-";
    std::string text = ValueText(series, row, row.value(series));
    if (item.pConfidence && item.pConfidence->bValid) {
        const CONFIDENCEINTERVAL& interval = item.pConfidence->intervals[row.quantity];
        if (!std::isnan(interval.dLower) && !std::isnan(interval.dUpper))
            text += " (" + ValueText(series, row, interval.dLower) + " - " +
                    ValueText(series, row, interval.dUpper) + ")";
    }
    return text;
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string TrimmedRight(const std::string& line) {
    return line.substr(0, line.find_last_not_of(' ') + 1);
}

std::string VerdictLine(const COMPARISONVERDICT& verdict) {
    if (!verdict.bValid)
        return "Model lifetime ratio (series 1 / series 2): no verdict (no bootstrap of both)";
    const auto number = [](double value) {
        return std::isinf(value) ? std::string("unbounded") : FormatC("%.3G", value);
    };
    return "Model lifetime ratio (series 1 / series 2): " + number(verdict.dRatio) +
           " (90 % interval " + number(verdict.dLower) + " - " + number(verdict.dUpper) +
           FormatC(", %d replicate pairs): ", static_cast<int>(verdict.nPairs)) +
           VerdictText(verdict);
}

constexpr std::size_t kLabelWidth = 22;
constexpr std::size_t kCellWidth = 30;

} // namespace

std::string BuildComparisonText(const std::vector<COMPAREDSERIES>& series,
                                const COMPARISONVERDICT* pVerdict) {
    std::string text = FormatC("Comparison of %zu series\n", series.size());
    for (std::size_t i = 0; i < series.size(); ++i)
        text += FormatC("  %zu: ", i + 1) + series[i].strLabel + " (" +
                EvaluationStateText(*series[i].pSeries) + ")\n";
    text += "\n";
    std::string header = Padded("", kLabelWidth);
    for (std::size_t i = 0; i < series.size(); ++i)
        header += Padded(FormatC("series %zu", i + 1), kCellWidth);
    text += TrimmedRight(header) + "\n";
    for (const COMPARISONROW& row : kRows) {
        std::string line = Padded(row.pszLabel, kLabelWidth);
        for (const COMPAREDSERIES& item : series)
            line += Padded(CellText(item, row), kCellWidth);
        text += TrimmedRight(line) + "\n";
    }
    if (pVerdict)
        text += "\n" + VerdictLine(*pVerdict) + "\n";
    return text;
}

std::string BuildComparisonHtml(const std::vector<COMPAREDSERIES>& series,
                                const COMPARISONVERDICT* pVerdict,
                                const std::vector<REPORTIMAGE>& images) {
    const std::string title = std::string(kTessaricProgramName) + " - Comparison of Series";
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>" +
                       HtmlText(title) +
                       "</title>\n<style>body{font-family:sans-serif;margin:2em}"
                       "td,th{padding:2px 1em 2px 0;text-align:left}</style>\n</head>\n<body>\n"
                       "<h1>" +
                       HtmlText(title) + "</h1>\n<table>\n<tr><th></th>";
    for (std::size_t i = 0; i < series.size(); ++i)
        html += FormatC("<th>%zu: ", i + 1) + HtmlText(series[i].strLabel) + "</th>";
    html += "</tr>\n";
    for (const COMPARISONROW& row : kRows) {
        html += "<tr><th>" + HtmlText(row.pszLabel) + "</th>";
        for (const COMPAREDSERIES& item : series)
            html += "<td>" + HtmlText(CellText(item, row)) + "</td>";
        html += "</tr>\n";
    }
    html += "</table>\n";
    if (pVerdict)
        html += "<p><b>" + HtmlText(VerdictLine(*pVerdict)) + "</b></p>\n";
    for (const REPORTIMAGE& image : images)
        html += FormatC("<p><img src=\"%s\" width=\"%d\" height=\"%d\" alt=\"%s\"><br>%s</p>\n",
                        HtmlText(image.strSource).c_str(), image.nWidth, image.nHeight,
                        HtmlText(image.strCaption).c_str(), HtmlText(image.strCaption).c_str());
    return html + "</body>\n</html>\n";
}
