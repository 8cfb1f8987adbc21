// tessaric-cli's option parser: the bytes split at NUL into arguments.
#include "cli/CliOptions.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back().push_back(static_cast<char>(data[i]));
    }
    const CLIPARSE parse = ParseCommandLine(arguments);
    if (!parse.bOk && parse.strError.empty())
        std::abort(); // a refusal must name its reason
    return 0;
}
