// "Setup.prm" from any bytes; what loads must save and load again to the
// same text, or a saved file would change from one start to the next.
#include "FuzzSupport.h"

#include "infra/CLogFile.h"
#include "infra/CMainParameters.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CLogFile log;
    CMainParameters first;
    first.m_pLog = &log;
    if (!first.LoadFile(WriteFuzzInput(data, size, "Setup.prm")))
        return 0;
    const std::string once = FuzzFolder() + "/once.prm";
    const std::string twice = FuzzFolder() + "/twice.prm";
    if (!first.SaveFile(once))
        std::abort();
    CMainParameters second;
    second.m_pLog = &log;
    if (!second.LoadFile(once) || !second.SaveFile(twice))
        std::abort();
    if (ReadWhole(once) != ReadWhole(twice))
        std::abort();
    return 0;
}
