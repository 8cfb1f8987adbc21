#include "data/CA1TimeSeries.h"

#include "data/DegreeConversion.h"
#include "data/LogImport.h"
#include "infra/CNumber.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

// Below this the ORVEXStab values are taken as read; a rotation that small
// would change them by less than the logs' last digit.
constexpr double kNoRotationDeg = 1e-8;

struct EXTRACTIONKIND {
    std::int32_t nImportType;
    const char* announcement;
};

constexpr EXTRACTIONKIND kC1A1Kind{kImportTypeC1A1,
                                   "Extracting astigmatism data from CEOS C1A1 log..."};
constexpr EXTRACTIONKIND kORVEXKind{kImportTypeORVEX,
                                    "Extracting astigmatism data from ORVEXStab log..."};

// "inf", "nan" and overflowing literals read as non-finite numbers; such a
// sample would poison every mean and fit built on the series, so it is
// treated like any other unusable line.
bool IsFiniteSample(const A1SAMPLE& sample) {
    return std::isfinite(sample.dX) && std::isfinite(sample.dY) && std::isfinite(sample.dErrX) &&
           std::isfinite(sample.dErrY);
}

// Names the first kNamedLargeLines lines whose values are beyond any
// measurement, and counts the rest for one closing record: a corrupt log
// must not drown the message pane.
constexpr int kNamedLargeLines = 3;
// How much of a named line the warning quotes.
constexpr std::size_t kQuotedLineLength = 100;

void CheckPlausible(CA1TimeSeries& series, const A1SAMPLE& sample, std::string_view line,
                    int& nLarge) {
    if (std::fabs(sample.dX) <= kLargestPlausibleA22Nm &&
        std::fabs(sample.dY) <= kLargestPlausibleA22Nm)
        return;
    if (++nLarge <= kNamedLargeLines)
        series.LogMessage(FormatC("Warning: The astigmatism value of image #%d is too large to be "
                                  "a measurement (above %.0G nm), in the line: ",
                                  sample.nImage, kLargestPlausibleA22Nm) +
                          std::string(line.substr(0, kQuotedLineLength)));
}

std::string_view TextBeforeBlank(std::string_view text) {
    const std::size_t blank = text.find(' ');
    return blank == std::string_view::npos ? text : text.substr(0, blank);
}

// Drops the first column (the text up to its blank, then the blanks that
// follow). Without a blank nothing is dropped, so a short data line offers its
// last value again for each further header column.
std::string_view DropFirstColumn(std::string_view text) {
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos)
        return text;
    text.remove_prefix(blank);
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// The working values of the ORVEXStab column walk; they carry over from one
// data line to the next.
struct ORVEXVALUES {
    double x = 0.0;
    double y = 0.0;
    double ex = 0.0;
    double ey = 0.0;
};

// Reads one data line into the working values and returns the number of
// astigmatism columns it supplied, or -1 when the line is unusable.
// `nImage` receives the line's image number.
int ReadORVEXLine(std::string_view header, std::string_view line, ORVEXVALUES& values,
                  std::int32_t& nImage) {
    if (line.empty() || line.find("not used") != std::string_view::npos)
        return -1;
    if (line.find(' ') == std::string_view::npos)
        return -1;
    if (TextBeforeBlank(header) != "img")
        return -1;
    nImage = ParseCInt(TextBeforeBlank(line));
    // Image numbers count from 1; 0 or less marks a line the recorder did not
    // fill.
    if (nImage < 1)
        return -1;

    int count = 0;
    bool usable = true;
    while (header.find(' ') != std::string_view::npos) {
        header = DropFirstColumn(header);
        line = DropFirstColumn(line);
        const std::string_view name = TextBeforeBlank(header);
        const std::string_view text = TextBeforeBlank(line);
        if (name.empty() || text.empty())
            continue;
        double* target = nullptr;
        if (name == "a22x")
            target = &values.x;
        else if (name == "err(a22x)")
            target = &values.ex;
        else if (name == "a22y")
            target = &values.y;
        else if (name == "err(a22y)")
            target = &values.ey;
        if (!target)
            continue; // "filetime" and any other column are not ours
        ++count;
        const double value = ParseCDouble(text);
        // A non-finite value makes the line unusable before the rotation
        // could spread it into a carried value that later lines never read.
        if (std::isfinite(value))
            *target = value;
        else
            usable = false;
    }
    return usable ? count : -1;
}

// The start of every extraction: type check, clearing the results that rest
// on the samples, period and the opening messages. False when there is
// nothing (more) to extract.
bool BeginExtraction(CA1TimeSeries& series, const EXTRACTIONKIND& kind, std::int32_t nMirrorY,
                     double dRotDeg) {
    if (series.m_nImportType != kind.nImportType) {
        series.LogMessage("ERROR: Missmatch of the log import type (aborting data extraction).");
        return false;
    }

    std::vector<A1SAMPLE>().swap(series.m_Samples);
    std::vector<A1SAMPLE>().swap(series.m_CFuncData);
    series.m_nCFuncState = 0;
    series.m_nModelState = 0;
    series.m_nLifetimeState = 0;
    series.m_dTolerance = 0.0;
    series.m_dLifetime = 0.0;
    series.m_dModelDi = 0.0;
    series.m_dModelDa = 0.0;
    series.m_dModelTc = 0.0;
    series.m_dModelS = 0.0;
    series.m_dModelLifetime = 0.0;
    series.m_nModelLifetimeState = kModelLifetimeNone;
    series.m_dModelSSqr = 0.0;
    if (series.m_nPage > 1)
        series.m_nPage = 1;

    // One line gives no time span to derive a period from.
    if (series.m_nDataLines <= 1)
        return false;

    // In 64 bits: a stop time below the start time must show as the negative
    // span it is, not wrap around into a period of decades.
    const std::int64_t span = static_cast<std::int64_t>(series.m_nStopTime) - series.m_nStartTime;
    // Divided by the number of lines, not of intervals: each line stands for
    // one image period of the recorded time. A period of 0 marks a recording
    // without a time base: its lifetimes are shown as unknown, never as 0 s.
    series.m_dPeriod = span > 0 ? static_cast<double>(span) / series.m_nDataLines : 0.0;

    series.LogMessage(kind.announcement);
    series.LogMessage(FormatC("- recording frequency: %.2f Hz", 1.0 / series.m_dPeriod));
    series.LogMessage(
        FormatC("- y-mirror flag: %d, x-y-plane rotation: %.1f deg", nMirrorY, dRotDeg));
    if (span < 0)
        series.LogMessage(FormatC("ERROR: The stop time of the recording (%d s) lies before its "
                                  "start time (%d s): it has no valid time base, and its lifetimes "
                                  "are not given in seconds.",
                                  series.m_nStopTime, series.m_nStartTime));
    else if (span == 0)
        series.LogMessage("Warning: The start and stop times of the recording are equal: it has "
                          "no time base, and its lifetimes are not given in seconds.");
    return true;
}

void FinishExtraction(CA1TimeSeries& series, std::int32_t nMirrorY, double dRotDeg, int nLarge) {
    if (nLarge > kNamedLargeLines)
        series.LogMessage(FormatC("Warning: %d lines in all hold astigmatism values too large to "
                                  "be measurements.",
                                  nLarge));
    series.m_nMirrorY = nMirrorY;
    series.m_dRotationDeg = dRotDeg;
    series.LogMessage(FormatC("- extracted number of astigmatism values: %d",
                              static_cast<int>(series.m_Samples.size())));
    series.LogMessage("Extraction finished.");
}

} // namespace

void CA1TimeSeries::ExtractC1A1(std::int32_t nMirrorY, double dRotDeg) {
    if (!BeginExtraction(*this, kC1A1Kind, nMirrorY, dRotDeg))
        return;

    // The corrector logs the angle of the astigmatism, so the plane rotation
    // is simply added to it.
    const double rotation = dRotDeg * kDegToRad;
    // The kept lines are: start marker, start time stamp, the data texts.
    const std::size_t first = 2;
    const std::size_t last = std::min<std::size_t>(first + m_nDataLines, m_LogLines.size());
    int nLarge = 0;
    for (std::size_t i = first; i < last; ++i) {
        const std::string_view text = m_LogLines[i];
        if (text.empty())
            continue;
        // Grammar: "#<image>: ... A1: <value><unit> / <angle>deg ..."
        const std::size_t colon = text.find(':');
        if (colon == std::string_view::npos || colon < 1)
            continue;
        const std::size_t a1 = text.find(" A1: ", colon);
        if (a1 == std::string_view::npos)
            continue;
        const std::size_t slash = text.find(" / ", a1);
        if (slash == std::string_view::npos)
            continue;
        if (text.find("deg", slash) == std::string_view::npos)
            continue;

        A1SAMPLE sample;
        sample.nImage = ParseCInt(text.substr(1, colon - 1));

        const std::size_t valueAt = a1 + 4;
        std::size_t consumed = 0;
        double amplitude = ParseCDouble(text.substr(valueAt), &consumed);
        // The unit is the two characters behind the number, matched against
        // the labels in table order; an unknown unit leaves the value in nm.
        const std::string_view unit = text.substr(valueAt + consumed, 2);
        for (const UNIT& entry : m_LenUnits) {
            if (entry.strName.find(unit) != std::string::npos) {
                amplitude *= entry.dFactor;
                break;
            }
        }

        const double angleDeg = ParseCDouble(text.substr(slash + 3));
        const double angle = rotation + angleDeg * kDegToRad;
        sample.dX = amplitude * std::cos(angle);
        // The mirror acts on the rotated value.
        sample.dY = nMirrorY * (amplitude * std::sin(angle));
        if (IsFiniteSample(sample)) {
            CheckPlausible(*this, sample, text, nLarge);
            m_Samples.push_back(sample);
        }
    }

    FinishExtraction(*this, nMirrorY, dRotDeg, nLarge);
}

void CA1TimeSeries::ExtractORVEX(std::int32_t nMirrorY, double dRotDeg) {
    if (!BeginExtraction(*this, kORVEXKind, nMirrorY, dRotDeg))
        return;

    const double angle = dRotDeg * kDegToRad;
    const double cosA = std::cos(angle);
    const double sinA = std::sin(angle);
    const bool rotate = std::fabs(dRotDeg) > kNoRotationDeg;

    std::string_view header;
    if (!m_LogLines.empty()) {
        header = m_LogLines.front();
        header.remove_prefix(std::min(header.find_first_not_of(' '), header.size()));
    }

    ORVEXVALUES values;
    int nLarge = 0;
    // The kept lines are: the header, then the data lines.
    const std::size_t last =
        std::min<std::size_t>(std::size_t{1} + m_nDataLines, m_LogLines.size());
    for (std::size_t i = 1; i < last; ++i) {
        A1SAMPLE sample;
        // All four astigmatism columns must be named; a repeated name also
        // counts, and the missing value then comes from an earlier line.
        if (ReadORVEXLine(header, m_LogLines[i], values, sample.nImage) != 4)
            continue;
        if (rotate) {
            // Counter-clockwise rotation; the errors are propagated as
            // independent components.
            const ORVEXVALUES read = values;
            values.x = cosA * read.x - sinA * read.y;
            values.y = sinA * read.x + cosA * read.y;
            values.ex =
                std::sqrt(read.ex * read.ex * cosA * cosA + read.ey * read.ey * sinA * sinA);
            values.ey =
                std::sqrt(read.ey * read.ey * cosA * cosA + read.ex * read.ex * sinA * sinA);
        }
        sample.dX = values.x;
        sample.dY = nMirrorY * values.y;
        // Errors are magnitudes: the mirror leaves them as they are.
        sample.dErrX = values.ex;
        sample.dErrY = values.ey;
        if (IsFiniteSample(sample)) {
            CheckPlausible(*this, sample, m_LogLines[i], nLarge);
            m_Samples.push_back(sample);
        }
    }

    FinishExtraction(*this, nMirrorY, dRotDeg, nLarge);
}

bool CA1TimeSeries::Reextract(std::int32_t nMirrorY, double dRotDeg) {
    if (m_nImportType == kImportTypeC1A1)
        ExtractC1A1(nMirrorY, dRotDeg);
    else if (m_nImportType == kImportTypeORVEX)
        ExtractORVEX(nMirrorY, dRotDeg);
    else
        return false;
    return true;
}
