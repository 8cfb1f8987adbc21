// A C1A1 log through the whole chain: extraction, characteristic function,
// fit, lifetimes, report and every export.
#include "FuzzSupport.h"

#include "data/C1A1LogReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzWholeChain(&ImportC1A1Log, data, size);
    return 0;
}
