// The ORVEX reader and its extraction alone, on any bytes.
#include "FuzzSupport.h"

#include "data/ORVEXLogReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReaderAlone(&ImportORVEXLog, data, size);
    return 0;
}
