// The C1A1 reader and its extraction alone, on any bytes.
#include "FuzzSupport.h"

#include "data/C1A1LogReader.h"
#include "data/CA1SeriesList.h"
#include "infra/CLogFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CLogFile log;
    ImportFuzzInput(&ImportC1A1Log, data, size, 1, 0.0, log);
    return 0;
}
