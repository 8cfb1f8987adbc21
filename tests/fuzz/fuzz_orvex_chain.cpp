// A ORVEX log through the whole chain: extraction, characteristic function,
// fit, lifetimes, report and every export.
#include "FuzzSupport.h"

#include "data/ORVEXLogReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzWholeChain(&ImportORVEXLog, data, size);
    return 0;
}
