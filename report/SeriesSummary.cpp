#include "report/SeriesSummary.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/ProbabilityModel.h"
#include "infra/CLogFile.h"
#include "infra/CNumber.h"
#include "infra/CSafeFileWriter.h"
#include "infra/Version.h"

#include <cmath>
#include <optional>

namespace {

// Six significant digits: more than any value of a report shows, and what a
// spreadsheet reads without loss of meaning.
std::string Number(double value) {
    return FormatC("%.6g", value);
}

// A time in seconds: empty without a time base or when not a number, the word
// "unbounded" for the lifetime operations' stand-in for infinity.
std::string Seconds(const CA1TimeSeries& series, double dSeconds) {
    if (!series.HasTimeBase() || std::isnan(dSeconds))
        return {};
    if (IsUnboundedTime(dSeconds, series.m_dPeriod))
        return "unbounded";
    return Number(dSeconds);
}

std::string Nanometres(double value) {
    return std::isfinite(value) ? Number(value) : std::string();
}

std::string ModelLifetime(const CA1TimeSeries& series) {
    // Only a determined or an unbounded lifetime is a value; none or an
    // error of the search leaves the field empty.
    if (series.m_nModelLifetimeState == -2)
        return series.HasTimeBase() ? "unbounded" : std::string();
    if (series.m_nModelLifetimeState != 1)
        return {};
    return Seconds(series, series.m_dModelLifetime);
}

using ColumnValue = std::string (*)(const CA1TimeSeries& series);

// The columns that describe the series and its own results; the file and
// series number come first, the interval ends last. `bModel`: the value
// only exists for a fitted model.
struct SUMMARYCOLUMN {
    const char* pszHeader;
    bool bNeedsCharFunction;
    bool bModel;
    ColumnValue value;
};

const SUMMARYCOLUMN kColumns[] = {
    {"state", false, false, [](const CA1TimeSeries& s) { return EvaluationStateText(s); }},
    {"images", false, false,
     [](const CA1TimeSeries& s) { return FormatC("%zu", s.m_Samples.size()); }},
    {"period [s]", false, false,
     [](const CA1TimeSeries& s) { return s.HasTimeBase() ? Number(s.m_dPeriod) : std::string(); }},
    {"duration [s]", false, false,
     [](const CA1TimeSeries& s) {
         const long long span = static_cast<long long>(s.m_nStopTime) - s.m_nStartTime;
         return s.HasTimeBase() ? FormatC("%lld", span) : std::string();
     }},
    {"tolerance [nm]", true, false,
     [](const CA1TimeSeries& s) { return Nanometres(s.m_dTolerance); }},
    {"Di [nm]", true, true, [](const CA1TimeSeries& s) { return Nanometres(s.m_dModelDi); }},
    {"Da [nm]", true, true, [](const CA1TimeSeries& s) { return Nanometres(s.m_dModelDa); }},
    // tc is kept in image steps; the table, like the report, gives seconds.
    {"tc [s]", true, true,
     [](const CA1TimeSeries& s) { return Seconds(s, s.m_dModelTc * s.m_dPeriod); }},
    {"s [nm]", true, true, [](const CA1TimeSeries& s) { return Nanometres(s.m_dModelS); }},
    {"direct lifetime [s]", true, false,
     [](const CA1TimeSeries& s) { return Seconds(s, s.m_dLifetime); }},
    {"model lifetime [s]", true, true, ModelLifetime},
    {"lower limit 84% [s]", true, true,
     [](const CA1TimeSeries& s) {
         return Seconds(s, s.GetProbabilityLifetime(s.m_dTolerance, kUpperBandProbability));
     }},
    {"median limit 50% [s]", true, true,
     [](const CA1TimeSeries& s) {
         return Seconds(s, s.GetProbabilityLifetime(s.m_dTolerance, kMedianProbability));
     }},
    {"upper limit 16% [s]", true, true,
     [](const CA1TimeSeries& s) {
         return Seconds(s, s.GetProbabilityLifetime(s.m_dTolerance, kLowerBandProbability));
     }},
};

// The quantities with an interval, in the order of the confidence block.
struct INTERVALCOLUMN {
    const char* pszName;
    const char* pszUnit;
};
const INTERVALCOLUMN kIntervalColumns[kConfidenceQuantities] = {
    {"Di", "nm"},
    {"Da", "nm"},
    {"tc", "s"},
    {"s", "nm"},
    {"model lifetime", "s"},
    {"lower limit 84%", "s"},
    {"median limit 50%", "s"},
    {"upper limit 16%", "s"},
};

// One end of a 90 % interval; the bootstrap gives an unbounded lifetime as
// infinity.
std::string IntervalEnd(const CA1TimeSeries& series, const INTERVALCOLUMN& column, double value) {
    const bool bTime = std::string_view(column.pszUnit) == "s";
    if (std::isnan(value) || (bTime && !series.HasTimeBase()))
        return {};
    if (std::isinf(value))
        return "unbounded";
    return Number(value);
}

} // namespace

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string EvaluationStateText(const CA1TimeSeries& series) {
    if (!series.HasCharFunction())
        return "not evaluated";
    return series.HasModel() ? "model fitted" : "direct method only";
}

std::string SummaryVersionLine() {
    return CsvField(std::string(kTessaricProgramName) + " v" + kTessaricVersionText +
                    " batch summary");
}

std::string SummaryHeaderLine() {
    std::string line = "file,series";
    for (const SUMMARYCOLUMN& column : kColumns)
        line += "," + CsvField(column.pszHeader);
    for (const INTERVALCOLUMN& column : kIntervalColumns) {
        line += "," + CsvField(FormatC("%s 5%% [%s]", column.pszName, column.pszUnit));
        line += "," + CsvField(FormatC("%s 95%% [%s]", column.pszName, column.pszUnit));
    }
    return line;
}

std::string SummaryRow(const SUMMARYENTRY& entry) {
    const CA1TimeSeries& series = *entry.pSeries;
    std::string row = CsvField(entry.strFile) + FormatC(",%zu", entry.nSeries);
    for (const SUMMARYCOLUMN& column : kColumns) {
        const bool bExists = (!column.bNeedsCharFunction || series.HasCharFunction()) &&
                             (!column.bModel || series.HasModel());
        row += ",";
        if (bExists)
            row += CsvField(column.value(series));
    }
    const bool bIntervals = entry.pConfidence && entry.pConfidence->bValid;
    for (std::size_t q = 0; q < kConfidenceQuantities; ++q) {
        if (!bIntervals) {
            row += ",,";
            continue;
        }
        const CONFIDENCEINTERVAL& interval = entry.pConfidence->intervals[q];
        row += "," + IntervalEnd(series, kIntervalColumns[q], interval.dLower);
        row += "," + IntervalEnd(series, kIntervalColumns[q], interval.dUpper);
    }
    return row;
}

bool WriteSeriesSummary(const std::string& path, const std::vector<SUMMARYENTRY>& entries,
                        CLogFile& log) {
    // The file names may hold any character; the summary is UTF-8 as a whole
    // rather than line by line as the 8-bit tables are, so that a reader
    // told the encoding once reads every row.
    std::string text = SummaryVersionLine() + "\r\n" + SummaryHeaderLine() + "\r\n";
    for (const SUMMARYENTRY& entry : entries)
        text += SummaryRow(entry) + "\r\n";
    CSafeFileWriter file;
    if (!file.Open(path)) {
        log.WriteLine("ERROR: Failed to open file [" + path + "] for writing the batch summary.");
        return false;
    }
    if (!file.Write(text) || !file.Commit()) {
        file.Discard();
        log.WriteLine("ERROR: Failed to save the batch summary to file [" + path + "].");
        return false;
    }
    log.WriteDebug("Successfully saved the batch summary to file [" + path + "].", 1);
    return true;
}
