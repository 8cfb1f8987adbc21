#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

class CA1TimeSeries;
class CLogFile;

// Synthetic corrector logs of a known astigmatism process, for trying the
// evaluation on data whose answer is known.
enum class SimulatedLogFormat { C1A1, ORVEX };

// Larger logs take minutes to evaluate and are more likely a typing error.
inline constexpr std::int32_t kMaxSimulatedImages = 1000000;
inline constexpr std::int32_t kMaxSimulatedRecordings = 1000;
// The time stamps are whole seconds in 32 bits and start from a date in
// 2021; a recording must end long before they run out.
inline constexpr double kMaxSimulatedSeconds = 1e8;
// The A22 of a working corrector stays within a few hundred nm. Strengths,
// drift, noise and the spread of the correlated part up to 10 um cover every
// plausible test and keep each simulated value far from overflowing into
// "inf" or "nan" in the log.
inline constexpr double kMaxSimulatedNm = 1e4;

struct SIMULATIONSETTINGS {
    SimulatedLogFormat format = SimulatedLogFormat::C1A1;
    std::int32_t nImages = 500;
    double dPeriod = 1.0;        // s per image
    double dDi = 0.05;           // nm, constant random walk
    double dDa = 0.0;            // nm, decaying (correlated) random walk
    double dTc = 60.0;           // s, correlation time of the Da part
    double dDrift = 0.0;         // nm per image
    double dDriftAngleDeg = 0.0; // direction of the drift in the x-y plane
    double dNoise = 0.0;         // nm, white measurement noise per component
    std::int32_t nRecordings = 1;
    std::uint64_t nSeed = 1;
};

// The largest root mean square change per component of the decaying part
// (Da, tc) over any span, nm; infinite when the correlation time spans more
// images than a double holds.
double CorrelatedSpread(const SIMULATIONSETTINGS& settings);

// The first setting that cannot give a log, as a sentence naming it; empty
// when all are usable.
std::string CheckSimulationSettings(const SIMULATIONSETTINGS& settings);

// Normal deviates from a generator whose sequence the C++ standard fixes, so
// that a seed gives the same file with every compiler and library.
class CSimulationRandom {
public:
    explicit CSimulationRandom(std::uint64_t nSeed) : m_engine(nSeed) {}
    double Uniform(); // [0, 1)
    double Gauss();   // mean 0, variance 1
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Uniform() * n); }

private:
    std::mt19937_64 m_engine;
    bool m_bHaveSpare = false;
    double m_dSpare = 0.0;
};

// A22 (x, y) in nm of images 1 to nImages of one recording.
std::vector<std::array<double, 2>> SimulateAstigmatism(const SIMULATIONSETTINGS& settings,
                                                       CSimulationRandom& random);

// One simulated recording as a series, without a log in between: images 1
// to nImages at the settings' period, drawn from a generator seeded with
// the settings' seed.
CA1TimeSeries SimulatedSeries(const SIMULATIONSETTINGS& settings);

// Writes the whole log through the safe replace; reports to `pLog` (may be
// null) and returns false when the settings are unusable or the file could
// not be written completely.
bool WriteSimulatedLog(const std::string& path, const SIMULATIONSETTINGS& settings, CLogFile* pLog);
