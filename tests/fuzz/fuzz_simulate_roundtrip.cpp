// `simulate` settings from bytes: whatever the simulator accepts, it writes a
// log that the reader of its format reads back with the same number of
// recordings and images and the period simulated within the tolerance of
// the time stamps.
#include "FuzzSupport.h"

#include "data/C1A1LogReader.h"
#include "data/CA1SeriesList.h"
#include "data/LogSimulator.h"
#include "data/ORVEXLogReader.h"
#include "infra/CLogFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Reads bytes one after another; past the end it gives zeros.
class CByteReader {
public:
    CByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    std::uint32_t Word() { return Byte() | (Byte() << 8) | (Byte() << 16) | (Byte() << 24); }
    // Any double at all, NaN and infinity included: the simulator must
    // refuse what it cannot write.
    double AnyDouble() {
        std::uint64_t bits = Word();
        bits |= static_cast<std::uint64_t>(Word()) << 32;
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // Or, on an even selector, a plausible one: 10^(-4..4).
    double Double() { return (Byte() & 1) ? AnyDouble() : std::pow(10.0, (Byte() - 128) / 32.0); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// Small logs keep each run fast; the time stamps' rounding shows at any
// number of images.
constexpr std::int32_t kMaxFuzzImages = 3000;
constexpr std::int32_t kMaxFuzzRecordings = 3;

void Fail(const char* what, const SIMULATIONSETTINGS& settings) {
    std::fprintf(stderr, "%s: %d images, period %.17g s, %d recordings\n", what,
                 static_cast<int>(settings.nImages), settings.dPeriod,
                 static_cast<int>(settings.nRecordings));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CByteReader bytes(data, size);
    SIMULATIONSETTINGS settings;
    const bool bORVEX = bytes.Byte() & 1;
    settings.format = bORVEX ? SimulatedLogFormat::ORVEX : SimulatedLogFormat::C1A1;
    settings.nImages = static_cast<std::int32_t>(bytes.Word() % (kMaxFuzzImages + 1));
    settings.nRecordings = bORVEX ? 1 : 1 + bytes.Byte() % kMaxFuzzRecordings;
    settings.dPeriod = bytes.Double();
    settings.dDi = bytes.Double();
    settings.dDa = (bytes.Byte() & 1) ? bytes.Double() : 0.0;
    settings.dTc = bytes.Double();
    settings.dDrift = (bytes.Byte() & 1) ? -bytes.Double() : bytes.Double();
    settings.dDriftAngleDeg = bytes.Double();
    settings.dNoise = bytes.Double();
    settings.nSeed = bytes.Word();
    if (!CheckSimulationSettings(settings).empty())
        return 0;

    const std::string path = FuzzFolder() + "/simulated.log";
    if (!WriteSimulatedLog(path, settings, nullptr))
        Fail("accepted settings were not written", settings);
    CLogFile log;
    CA1SeriesList list;
    const int read =
        bORVEX ? ImportORVEXLog(path, log, 1, 0.0, list) : ImportC1A1Log(path, log, 1, 0.0, list);
    if (read != settings.nRecordings || static_cast<int>(list.size()) != settings.nRecordings)
        Fail("the recordings did not read back", settings);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].m_Samples.size() != static_cast<std::size_t>(settings.nImages))
            Fail("the images did not read back", settings);
        if (!(std::fabs(list[i].m_dPeriod - settings.dPeriod) <=
              kReadBackTolerance * settings.dPeriod))
            Fail("the period did not read back", settings);
    }
    return 0;
}
