#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/CA1SeriesList.h"

class CA1SeriesList;
class CLogFile;

// The readers' shape, so that one harness body serves both.
using LogReader = int (*)(const std::string&, CLogFile&, std::int32_t, double, CA1SeriesList&);

// A folder of this process below the system's temporary folder, made on the
// first call; the harnesses write their input and every export into it.
const std::string& FuzzFolder();

// Writes the fuzzer's bytes to a file in FuzzFolder() and returns its path.
std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size, const char* name);

// One run of a reader harness: the bytes as a log, read and extracted.
void FuzzReaderAlone(LogReader reader, const std::uint8_t* data, std::size_t size);

// One run of a chain harness: the bytes as a log, extracted mirrored and
// turned, then every series through the whole evaluation of the window and
// the command-line program with a fixed seed, the report and every export
// into FuzzFolder().
void FuzzWholeChain(LogReader reader, const std::uint8_t* data, std::size_t size);

// The evaluation settings a chain harness takes from its first bytes, so
// that the fuzzer explores them along with the log: rotation, mirror,
// minimum diversity, energy, resolution and phase limit, each within the
// range the window and the command-line program accept.
struct FUZZSETTINGS {
    std::int32_t nMirrorY = 1;
    double dRotationDeg = 0.0;
    std::int32_t nMinDiversity = 10;
    double dEnergykV = 300.0;
    double dResolutionAng = 1.0;
    double dLimitPhase = 0.25;
};
// The number of leading bytes that FuzzSettingsFrom reads.
inline constexpr std::size_t kFuzzSettingsBytes = 7;
// Zero bytes give the defaults above.
FUZZSETTINGS FuzzSettingsFrom(const std::uint8_t* data);

// Imports the bytes as a log with the settings' mirror and rotation and
// evaluates every series with the settings (fit seed fixed).
CA1SeriesList EvaluatedFuzzSeries(LogReader reader, const std::uint8_t* data, std::size_t size,
                                  const FUZZSETTINGS& settings, CLogFile& log);
