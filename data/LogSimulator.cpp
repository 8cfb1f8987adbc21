#include "data/LogSimulator.h"

#include "data/CA1TimeSeries.h"
#include "data/DegreeConversion.h"
#include "evaluation/ModelPathGenerator.h"
#include "infra/CLogFile.h"
#include "infra/CNumber.h"
#include "infra/CTextFile.h"
#include "infra/Version.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

// The process. Over k image steps the model of the characteristic function is
//
//     f(k) = s^2 k^2 + 2 k (Di^2 + Da^2 exp(-k/tc)),
//
// the mean of |A(n + k) - A(n)|^2 over both components. The simulated A22 is
// a path of exactly this model, drawn by CModelPathGenerator (random walk,
// decaying part and drift in one Gaussian process with stationary
// increments; see ModelPathGenerator.cpp), so that a fit of a simulated log
// has the settings as its truth for every parameter. Where the settings are
// no valid process (Da dominating Di), the path comes from the nearest valid
// one. White noise of standard deviation sigma per component is added to
// each logged value; differences carry 2 sigma^2 per component at every
// span, the intercept that the characteristic function removes as
// measurement error.

namespace {

// 2021/01/06 09:00:00 UTC: the logs' wall clock starts here, so that the
// same settings always give the same file.
constexpr std::int64_t kSessionStart = 1609923600;
// Pauses of the simulated operator between the steps of a session, s.
constexpr double kSetupSeconds = 60.0;
constexpr double kPauseBetweenRecordings = 120.0;

std::string WallClock(double dSeconds) {
    const std::time_t when = static_cast<std::time_t>(kSessionStart + std::llround(dSeconds));
    std::tm utc{};
    ::gmtime_r(&when, &utc);
    return FormatC("%04d/%02d/%02d %02d:%02d:%02d", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                   utc.tm_hour, utc.tm_min, utc.tm_sec);
}

// The corrector's session log: free text around each recording, which sits
// between the start and stop markers with a series clock ("dTime:") after
// each, and one measurement line per image.
class CC1A1LogText {
public:
    CC1A1LogText(CTextFileWriter& file, const SIMULATIONSETTINGS& settings)
        : m_file(file), m_settings(settings) {}

    bool Write(CSimulationRandom& random) {
        Line(0.0, "CEOS corrector control - session log");
        Line(0.0, std::string("Simulated astigmatism log written by ") + kTessaricProgramName +
                      " " + kTessaricVersionText +
                      FormatC(", seed %llu", static_cast<unsigned long long>(m_settings.nSeed)));
        Line(2.0, "Corrector ready, illumination parallel.");
        double clock = kSetupSeconds;
        for (std::int32_t r = 0; r < m_settings.nRecordings && m_bOk; ++r) {
            WriteRecording(random, clock);
            clock += m_settings.nImages * m_settings.dPeriod + kPauseBetweenRecordings;
        }
        Line(clock, "Session closed.");
        return m_bOk;
    }

private:
    void Line(double clock, const std::string& text) {
        m_bOk = m_bOk && m_file.WriteLine(WallClock(clock) + "  " + text);
    }

    void WriteRecording(CSimulationRandom& random, double clock) {
        const std::vector<std::array<double, 2>> values = SimulateAstigmatism(m_settings, random);
        // The series clock counts whole seconds; the reader takes the period
        // as the recording's duration over its number of images.
        const long long start = std::llround(clock);
        const long long stop = start + std::llround(m_settings.nImages * m_settings.dPeriod);
        Line(clock - 1.0, FormatC("Starting C1A1 series: %d images, %.2f s per image.",
                                  static_cast<int>(m_settings.nImages), m_settings.dPeriod));
        Line(clock, "C1A1 series successfully started.");
        Line(clock, FormatC("Series clock dTime: %lld s", start));
        const double defocus = 20.0 * (random.Uniform() - 0.5);
        for (std::size_t n = 0; n < values.size() && m_bOk; ++n) {
            const double x = values[n][0];
            const double y = values[n][1];
            const double magnitude = std::hypot(x, y);
            const double angle = std::atan2(y, x) / kDegToRad;
            const double c1 = defocus + 0.5 * random.Gauss();
            Line(clock + (n + 1) * m_settings.dPeriod,
                 FormatC("Tableau #%d: C1: %.2fnm, A1: %.3fnm / %.2fdeg, B2: %.1fnm / %.1fdeg, "
                         "%u cnts",
                         static_cast<int>(n + 1), c1, magnitude, angle, 40.0 + random.Gauss(),
                         120.0 + 5.0 * random.Gauss(), 780u + random.Below(80)));
        }
        const double end = static_cast<double>(stop);
        Line(end, "C1A1 series stopped by user.");
        Line(end, FormatC("Series clock dTime: %lld s", stop));
        Line(end + 1.0, "Corrector idle.");
    }

    CTextFileWriter& m_file;
    const SIMULATIONSETTINGS& m_settings;
    bool m_bOk = true;
};

// The stability table: a few lines of text, the header naming the columns,
// one line per image with the file time in whole seconds, and the end line.
bool WriteORVEXLog(CTextFileWriter& file, const SIMULATIONSETTINGS& settings,
                   CSimulationRandom& random) {
    bool ok = file.WriteLine("ORVEXStab stability log");
    ok = ok &&
         file.WriteLine(FormatC("recorded %s, %d images, %.2f s per image, noise %.4f nm",
                                WallClock(0.0).c_str(), static_cast<int>(settings.nImages),
                                settings.dPeriod, settings.dNoise) +
                        std::string(", simulated by ") + kTessaricProgramName + " " +
                        kTessaricVersionText +
                        FormatC(", seed %llu", static_cast<unsigned long long>(settings.nSeed)));
    ok = ok && file.WriteLine("img a22x err(a22x) a22y err(a22y) filetime");
    const std::vector<std::array<double, 2>> values = SimulateAstigmatism(settings, random);
    for (std::size_t n = 0; n < values.size() && ok; ++n) {
        const long long filetime = kSessionStart + std::llround(n * settings.dPeriod);
        ok = file.WriteLine(FormatC("%d %.5f %.5f %.5f %.5f %lld", static_cast<int>(n + 1),
                                    values[n][0], settings.dNoise, values[n][1], settings.dNoise,
                                    filetime));
    }
    return ok && file.WriteLine("# end of series");
}

bool IsFiniteAtLeast(double value, double minimum) {
    return std::isfinite(value) && value >= minimum;
}

} // namespace

double CorrelatedSpread(const SIMULATIONSETTINGS& settings) {
    const double tcSteps = settings.dTc / settings.dPeriod;
    // A correlation time of more images than a double holds would give "inf"
    // (and with Da = 0 "nan") values.
    if (!std::isfinite(tcSteps))
        return std::numeric_limits<double>::infinity();
    // k Da^2 exp(-k/tc) peaks at k = tc with Da^2 tc / e.
    return settings.dDa * std::sqrt(std::max(tcSteps, 0.0) / std::exp(1.0));
}

double CSimulationRandom::Uniform() {
    // The top 53 bits give every double in [0, 1) on a grid of 2^-53.
    return static_cast<double>(m_engine() >> 11) * 0x1.0p-53;
}

double CSimulationRandom::Gauss() {
    if (m_bHaveSpare) {
        m_bHaveSpare = false;
        return m_dSpare;
    }
    // Box-Muller; 1 - u lies in (0, 1], so the logarithm stays finite.
    const double radius = std::sqrt(-2.0 * std::log(1.0 - Uniform()));
    const double phase = 6.283185307179586 * Uniform();
    m_dSpare = radius * std::sin(phase);
    m_bHaveSpare = true;
    return radius * std::cos(phase);
}

std::string CheckSimulationSettings(const SIMULATIONSETTINGS& settings) {
    if (settings.nImages < 2 || settings.nImages > kMaxSimulatedImages)
        return FormatC("The number of images must lie between 2 and %d.",
                       static_cast<int>(kMaxSimulatedImages));
    if (!(std::isfinite(settings.dPeriod) && settings.dPeriod > 0.0))
        return "The image period must be a positive number of seconds.";
    if (settings.nImages * settings.dPeriod > kMaxSimulatedSeconds)
        return FormatC("A recording must not last longer than %.0f s.", kMaxSimulatedSeconds);
    if (!IsFiniteAtLeast(settings.dDi, 0.0))
        return "Di must be a number of nm, 0 or above.";
    if (!IsFiniteAtLeast(settings.dDa, 0.0))
        return "Da must be a number of nm, 0 or above.";
    if (!(std::isfinite(settings.dTc) && settings.dTc > 0.0))
        return "The correlation time must be a positive number of seconds.";
    if (!std::isfinite(settings.dDrift) || !std::isfinite(settings.dDriftAngleDeg))
        return "The drift and its angle must be numbers.";
    if (!IsFiniteAtLeast(settings.dNoise, 0.0))
        return "The noise must be a number of nm, 0 or above.";
    if (settings.dDi > kMaxSimulatedNm || settings.dDa > kMaxSimulatedNm ||
        std::fabs(settings.dDrift) > kMaxSimulatedNm || settings.dNoise > kMaxSimulatedNm)
        return FormatC("Di, Da, the drift and the noise must not exceed %.0f nm.", kMaxSimulatedNm);
    if (!(CorrelatedSpread(settings) <= kMaxSimulatedNm))
        return FormatC("The correlated part must not spread beyond %.0f nm: Da or the correlation "
                       "time in images is too large.",
                       kMaxSimulatedNm);
    if (settings.nRecordings < 1 || settings.nRecordings > kMaxSimulatedRecordings)
        return FormatC("The number of recordings must lie between 1 and %d.",
                       static_cast<int>(kMaxSimulatedRecordings));
    if (settings.format == SimulatedLogFormat::ORVEX && settings.nRecordings != 1)
        return "An ORVEXStab log holds one recording only.";
    return {};
}

std::vector<std::array<double, 2>> SimulateAstigmatism(const SIMULATIONSETTINGS& settings,
                                                       CSimulationRandom& random) {
    const auto images = std::max<std::int32_t>(settings.nImages, 0);
    std::vector<std::array<double, 2>> values(static_cast<std::size_t>(images));
    if (images == 0)
        return values;
    CModelPathGenerator generator;
    const ModelParameters params{settings.dDi, settings.dDa, settings.dTc / settings.dPeriod,
                                 settings.dDrift};
    MODELPATH path;
    if (generator.Prepare(params, images, settings.dDriftAngleDeg))
        generator.Draw(random, path);
    // Settings that CheckSimulationSettings refuses give no path: noise only.
    path.x.resize(values.size(), 0.0);
    path.y.resize(values.size(), 0.0);
    for (std::size_t n = 0; n < values.size(); ++n) {
        values[n][0] = path.x[n] + settings.dNoise * random.Gauss();
        values[n][1] = path.y[n] + settings.dNoise * random.Gauss();
    }
    return values;
}

CA1TimeSeries SimulatedSeries(const SIMULATIONSETTINGS& settings) {
    CSimulationRandom random(settings.nSeed);
    const std::vector<std::array<double, 2>> values = SimulateAstigmatism(settings, random);
    CA1TimeSeries series;
    series.m_dPeriod = settings.dPeriod;
    series.m_Samples.reserve(values.size());
    for (std::size_t n = 0; n < values.size(); ++n)
        series.m_Samples.push_back(
            A1SAMPLE{static_cast<std::int32_t>(n + 1), values[n][0], values[n][1], 0.0, 0.0});
    return series;
}

bool WriteSimulatedLog(const std::string& path, const SIMULATIONSETTINGS& settings,
                       CLogFile* pLog) {
    auto message = [pLog](const std::string& text) {
        if (pLog)
            pLog->WriteLine(text);
    };
    auto debug = [pLog](const std::string& text) {
        if (pLog)
            pLog->WriteDebug(text, 1);
    };
    const std::string problem = CheckSimulationSettings(settings);
    if (!problem.empty()) {
        message("ERROR: Cannot simulate the log. " + problem);
        return false;
    }
    debug("Opening file [" + path + "] for saving simulated log.");
    CTextFileWriter file;
    if (!file.Open(path)) {
        message("ERROR: Failed to open file [" + path + "] for writing simulated log.");
        return false;
    }
    CSimulationRandom random(settings.nSeed);
    bool ok = false;
    if (settings.format == SimulatedLogFormat::C1A1) {
        CC1A1LogText text(file, settings);
        ok = text.Write(random);
    } else {
        ok = WriteORVEXLog(file, settings, random);
    }
    if (!ok || !file.Commit()) {
        file.Discard();
        message("ERROR: Failed to save simulated log to file [" + path + "].");
        return false;
    }
    message(FormatC("Simulated %s log with %d recording(s) of %d images saved to file [",
                    settings.format == SimulatedLogFormat::C1A1 ? "C1A1" : "ORVEXStab",
                    static_cast<int>(settings.nRecordings), static_cast<int>(settings.nImages)) +
            path + "].");
    return true;
}
