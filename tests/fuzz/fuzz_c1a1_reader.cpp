// The C1A1 reader and its extraction alone, on any bytes.
#include "FuzzSupport.h"

#include "data/C1A1LogReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzReaderAlone(&ImportC1A1Log, data, size);
    return 0;
}
