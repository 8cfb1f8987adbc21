// A C1A1 log through the whole chain: extraction with mirror and rotation,
// characteristic function, fit, lifetimes, report and every export.
#include "FuzzSupport.h"

#include "data/C1A1LogReader.h"
#include "data/CA1SeriesList.h"
#include "infra/CLogFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Mirrored and turned, so that the branches of both settings are reached.
    constexpr double kRotationDeg = 30.0;
    CLogFile log;
    CA1SeriesList list = ImportFuzzInput(&ImportC1A1Log, data, size, -1, kRotationDeg, log);
    EvaluateAndExportAll(list);
    return 0;
}
