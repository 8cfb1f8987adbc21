#include "report/StabilityReport.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/FitNotes.h"
#include "evaluation/ModelPathGenerator.h"
#include "evaluation/ProbabilityModel.h"
#include "infra/CNumber.h"
#include "infra/CTextFile.h"
#include "infra/Version.h"
#include "report/ExportCurves.h"
#include "report/ExportFrame.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kRule =
    "\r\n ------------------------------------------------------------------------------";

// The lifetime limits, from the shortest to the longest: the time spans
// after which the astigmatism is still within the tolerance with 84 %, 50 %
// and 16 % probability.
struct LIMITLINE {
    double dProbability;
    const char* pszLabel;
};
constexpr LIMITLINE kLimitLines[] = {
    {kUpperBandProbability, "  - lower limit  (84% stability): "},
    {kMedianProbability, "  - median limit (50% stability): "},
    {kLowerBandProbability, "  - upper limit  (16% stability): "},
};

// The lifetime operations give an unbounded time as VLARGE image steps: the
// probability never falls to the limit, or the model never reaches the
// tolerance. As a number it would fill 300 digits, so the report names it
// "unbounded" instead; without a time base no lifetime is known in seconds.
std::string LifetimeText(const CA1TimeSeries& series, double dSeconds) {
    if (series.HasTimeBase() && IsUnboundedTime(dSeconds, series.m_dPeriod))
        return "unbounded";
    return series.LifetimeSecondsText(dSeconds);
}

// Collects the report the way its layout is described: headings carry their
// own leading line break, formatted lines and spacers get one here.
class CReportText {
public:
    void Heading(const std::string& text) { m_text += text; }
    void Line(const std::string& formatted) {
        m_text += "\r\n ";
        m_text += formatted;
    }
    void Spacer() { m_text += "\r\n "; }
    std::string Take() { return std::move(m_text); }

private:
    std::string m_text = " ";
};

// The largest time span the characteristic function reaches: its records
// are stored in ascending distance, so the last one holds it.
double MaxExtractedTimespan(const CA1TimeSeries& series) {
    return series.m_CFuncData.back().nImage * series.m_dPeriod;
}

// Every time of the model's block is built from the model lifetime's
// tolerance: when that evaluation failed, none of them is a result.
std::string ModelTimeText(const CA1TimeSeries& series, double dSeconds) {
    return series.HasModelLifetimeError() ? kLifetimeErrorText : LifetimeText(series, dSeconds);
}

void AppendModelLifetimes(CReportText& report, const CA1TimeSeries& series, double tmaxCF) {
    // A model that never reaches the tolerance within the largest time the
    // program can express has an unbounded lifetime.
    std::string line = " Estimated lifetime: " + ModelTimeText(series, series.m_dModelLifetime);
    // The direct lifetime is shown beside it only while it lies inside the
    // extracted range; at the end of the range it is a mere bound.
    if (series.HasLifetimeError())
        line += std::string(" (direct method: ") + kLifetimeErrorText + ")";
    else if (series.HasTimeBase() && tmaxCF > series.m_dLifetime)
        line += FormatC(" (direct method: %.1f s)", series.m_dLifetime);
    report.Line(line);
    report.Spacer();
    report.Heading("\r\n  Probability related lifetimes:");
    for (const LIMITLINE& limit : kLimitLines)
        report.Line(limit.pszLabel +
                    ModelTimeText(series, series.GetProbabilityLifetime(series.m_dTolerance,
                                                                        limit.dProbability)));
    report.Spacer();
    report.Heading("\r\n  Lifetime estimation based on the random-walk component only:");
    report.Line("  - mean lifetime                : " +
                ModelTimeText(series, series.GetRandomWalkLifetime(series.m_dTolerance)));
    for (const LIMITLINE& limit : kLimitLines)
        report.Line(limit.pszLabel +
                    ModelTimeText(series, series.GetRandomWalkProbabilityLifetime(
                                              series.m_dTolerance, limit.dProbability)));
}

void AppendDirectLifetime(CReportText& report, const CA1TimeSeries& series, double tmaxCF) {
    if (series.HasLifetimeError()) {
        report.Line(std::string(" Estimated lifetime: ") + kLifetimeErrorText + " (direct method)");
        return;
    }
    report.Line(" Estimated lifetime: " + series.LifetimeSecondsText(series.m_dLifetime) +
                " (direct method)");
    // A direct lifetime at the end of the extracted range only says that the
    // tolerance was not reached there.
    if (series.HasTimeBase() && series.m_dLifetime >= tmaxCF)
        report.Heading("\r\n  Warning: Lifetime exceeds maximum extracted timespan.");
}

// A tolerance of 0 or one that is not finite is what a failed lifetime
// evaluation leaves: as a number it would read as a result.
std::string ToleranceText(const CA1TimeSeries& series) {
    if (std::isfinite(series.m_dTolerance) && series.m_dTolerance > 0.0)
        return FormatC("%.3f nm", series.m_dTolerance);
    return kLifetimeErrorText;
}

void AppendInputsAndCharFunction(CReportText& report, const CA1TimeSeries& series, double tmaxCF) {
    report.Spacer();
    report.Heading("\r\n  Input log file: " + series.m_strFileName);
    report.Spacer();
    report.Heading("\r\n  Evaluation parameters:");
    report.Line(FormatC("  - electron energy: %.1f keV, target resolution: %.2f A",
                        series.m_dElEnergy, series.m_dTargetRes));
    report.Line("  - astigmatism tolerance: " + ToleranceText(series) +
                FormatC(", phase tolerance: %.3f Pi", series.m_dLimitPhase));
    report.Line(FormatC("  - image series length: %d", static_cast<int>(series.m_Samples.size())));
    report.Line(FormatC("  - image recording period: %.2f s", series.m_dPeriod));
    report.Spacer();
    report.Heading("\r\n  Characteristic function:");
    report.Line("  - maximum extracted timespan: " + series.LifetimeSecondsText(tmaxCF) +
                FormatC(" (min. diversity: %d)", static_cast<int>(series.m_nMinDiversity)));
    report.Line(
        FormatC("  - estimated astigmatism measurement error: %.3f nm", series.m_dMeasError));
    report.Spacer();
}

void AppendModel(CReportText& report, const CA1TimeSeries& series) {
    report.Heading("\r\n  Model fitted to the extracted characteristic function f(t):");
    report.Heading("\r\n     f(t) = 2 D(t)^2 * (t/t0) + s^2 * (t/t0)^2,");
    report.Heading("\r\n       with   D(t)^2 = Di^2 + Da^2 * Exp[ -(t/tc) ],");
    report.Line(FormatC("      and    t0 = %.2f s.", series.m_dPeriod));
    report.Spacer();
    report.Heading("\r\n  Best fitting model parameters:");
    report.Line(FormatC("  - Di : %.3G nm", series.m_dModelDi));
    report.Line(FormatC("  - Da : %.3G nm", series.m_dModelDa));
    // tc is kept in image steps; the reader wants seconds.
    report.Line(FormatC("  - tc : %.3G s", series.m_dModelTc * series.m_dPeriod));
    report.Line(FormatC("  - s  : %.3G nm", series.m_dModelS));
    report.Line(FormatC(" Best fit s-square: %.3G", series.m_dModelSSqr));
}

// Beyond the report's own blocks, so that every line above keeps its place.
void AppendFitNotes(CReportText& report, const CA1TimeSeries& series) {
    const std::vector<std::string> notes = FitNotes(series);
    if (notes.empty())
        return;
    report.Spacer();
    report.Heading("\r\n  Fit notes:");
    for (const std::string& note : notes)
        report.Line("  - " + note);
}

// One line of the confidence block: the label, the estimate and its
// interval in the quantity's own format.
struct CONFIDENCELINE {
    ConfidenceQuantity quantity;
    const char* pszLabel;
    bool bLifetime; // "%.1f" (or "unbounded") rather than "%.3G"
    const char* pszUnit;
};
constexpr CONFIDENCELINE kConfidenceLines[] = {
    {kConfidenceDi, "  - Di                          : ", false, " nm"},
    {kConfidenceDa, "  - Da                          : ", false, " nm"},
    {kConfidenceTc, "  - tc                          : ", false, " s"},
    {kConfidenceS, "  - s                           : ", false, " nm"},
    {kConfidenceModelLifetime, "  - model lifetime              : ", true, " s"},
    {kConfidenceLowerLimit, kLimitLines[0].pszLabel, true, " s"},
    {kConfidenceMedianLimit, kLimitLines[1].pszLabel, true, " s"},
    {kConfidenceUpperLimit, kLimitLines[2].pszLabel, true, " s"},
};

constexpr const char* kNoTimeBase = "time base unknown";

bool IsTimeLine(const CONFIDENCELINE& line) {
    return std::string_view(line.pszUnit) == " s";
}

// The number without its unit; an unbounded lifetime, and any time of a
// recording without a time base, is a word that takes no unit.
std::string ConfidenceNumber(const CONFIDENCELINE& line, double value,
                             const CA1TimeSeries& series) {
    if (IsTimeLine(line) && !series.HasTimeBase())
        return kNoTimeBase;
    if (!line.bLifetime)
        return FormatC("%.3G", value);
    return IsUnboundedTime(value, series.m_dPeriod) ? "unbounded" : FormatC("%.1f", value);
}

std::string WithUnit(const CONFIDENCELINE& line, const std::string& number) {
    return number == "unbounded" || number == kNoTimeBase ? number : number + line.pszUnit;
}

// "41.2 \u2013 63.0 s": the unit once, after the upper edge, unless that edge
// is unbounded.
std::string ConfidenceRange(const CONFIDENCELINE& line, const CONFIDENCEINTERVAL& interval,
                            const CA1TimeSeries& series) {
    const std::string upper = ConfidenceNumber(line, interval.dUpper, series);
    if (upper == kNoTimeBase)
        return upper;
    std::string lower = ConfidenceNumber(line, interval.dLower, series);
    if (upper == "unbounded")
        lower = WithUnit(line, lower);
    return lower + " \u2013 " + WithUnit(line, upper);
}

} // namespace

std::string BuildConfidenceBlock(const CA1TimeSeries& series, const CONFIDENCERESULT& confidence) {
    CReportText block;
    block.Spacer();
    block.Heading(FormatC("\r\n  Confidence (90 %%, %d replicates)",
                          static_cast<int>(confidence.nReplicates)));
    for (const CONFIDENCELINE& line : kConfidenceLines) {
        const CONFIDENCEINTERVAL& interval = confidence.intervals[line.quantity];
        std::string formatted =
            line.pszLabel + WithUnit(line, ConfidenceNumber(line, interval.dEstimate, series));
        // Without a successful replicate there are no edges to show.
        if (std::isnan(interval.dLower) || std::isnan(interval.dUpper))
            formatted += " (no interval)";
        else
            formatted += " (90 % interval " + ConfidenceRange(line, interval, series) + ")";
        block.Line(formatted);
    }
    block.Line(FormatC("  - failed replicates           : %d of %d",
                       static_cast<int>(confidence.nFailed),
                       static_cast<int>(confidence.nReplicates)));
    // Replicates of a model that is no valid process come from the nearest
    // valid one; the reader must know that the intervals are of that.
    if (confidence.dClippedShare > kNegligibleClippedShare)
        block.Line(FormatC("  - replicates drawn from       : the nearest valid process "
                           "(%.3G %% of the variance clipped)",
                           100.0 * confidence.dClippedShare));
    block.Spacer();
    block.Heading(kRule);
    // The block continues the report's last line; the blank that starts a
    // report is not its.
    return block.Take().substr(1);
}

std::string BuildWholeIntervalBlock(const CA1TimeSeries& series) {
    if (!series.HasModel())
        return {};
    CReportText block;
    block.Spacer();
    block.Heading("\r\n  Whole-interval lifetimes (stays inside)");
    const WHOLEINTERVALCURVE curve = SeriesWholeIntervalCurve(series);
    if (!curve.bValid) {
        block.Line("  - not available: " + curve.strProblem);
    } else {
        for (const LIMITLINE& limit : kLimitLines) {
            const double steps = curve.Lifetime(limit.dProbability);
            // The curve ends where P(a, t) has fallen to 5 %; a level it has
            // not reached by then is only bounded from below.
            block.Line(limit.pszLabel +
                       (std::isnan(steps) ? "beyond " + series.LifetimeSecondsText(
                                                            curve.steps.back() * series.m_dPeriod)
                                          : series.LifetimeSecondsText(steps * series.m_dPeriod)));
        }
        block.Line(FormatC("  - Monte Carlo of %d paths (seed %llu), standard error <= %.4f",
                           static_cast<int>(curve.nPaths),
                           static_cast<unsigned long long>(curve.nSeed),
                           curve.LargestStandardError()));
        // A model at the edge of the valid processes is simulated by the
        // nearest valid one; the reader learns how near.
        if (curve.dClippedShare > kNegligibleClippedShare)
            block.Line(FormatC("  - paths of the nearest valid process: %.2g of the model's "
                               "variance left out",
                               curve.dClippedShare));
    }
    block.Spacer();
    block.Heading(kRule);
    return block.Take().substr(1);
}

std::string BuildStabilityReport(const CA1TimeSeries& series) {
    CReportText report;
    // Without records there is no extracted timespan to report on; the
    // headline then says that no evaluation is present.
    if (!series.HasCharFunction())
        return report.Take();

    const double tmaxCF = MaxExtractedTimespan(series);
    const bool bModel = series.HasModel();

    report.Heading(kRule);
    report.Heading(std::string("\r\n  ") + kTessaricProgramName + " v" + kTessaricVersionText +
                   " - Astigmatism Stability Report");
    report.Heading(kRule);
    report.Spacer();
    if (bModel)
        AppendModelLifetimes(report, series, tmaxCF);
    else
        AppendDirectLifetime(report, series, tmaxCF);
    AppendInputsAndCharFunction(report, series, tmaxCF);
    if (bModel)
        AppendModel(report, series);
    report.Spacer();
    report.Heading(kRule);
    AppendFitNotes(report, series);
    return report.Take();
}

std::string GetReportHeadline(const CA1TimeSeries& series) {
    if (!series.HasCharFunction())
        return "No evaluation data present.";
    if (!series.HasModel())
        return "Results of the direct evaluation method.";
    return "Results of the model-based evaluation method.";
}

std::string GetLogTextHeadline(const CA1TimeSeries& series) {
    // Counted in 64 bits so that line numbers at the ends of their range
    // cannot overflow.
    const long long first = series.m_nFirstLine;
    const long long last = series.m_nLastLine;
    return FormatC("Extracted from line #%lld to line #%lld (%lld lines).", first, last,
                   last - first + 1);
}

bool SaveStabilityReport(const CA1TimeSeries& series, const std::string& path,
                         const std::string& appendix) {
    static constexpr EXPORTKIND kReport = {
        "] for saving stability report.",
        "] for writing stability report.",
        "Successfully saved stability report to file [",
        "ERROR: Failed to save stability report to file [",
        "ERROR: Aborted saving stability report. Data is not ready.",
        false,
    };
    return RunExport<CTextFileWriter>(series, path, kReport, [&](CTextFileWriter& file) {
        // The report's lines already end in CR LF; the last one gets its own.
        return file.WriteLine(BuildStabilityReport(series) + appendix);
    });
}
