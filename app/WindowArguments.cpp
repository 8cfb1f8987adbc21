#include "app/WindowArguments.h"

WINDOWARGUMENTS ParseWindowArguments(const std::vector<std::string>& argumentsWithProgram) {
    WINDOWARGUMENTS parsed;
    for (std::size_t i = 1; i < argumentsWithProgram.size(); ++i) {
        const std::string& argument = argumentsWithProgram[i];
        if (argument == "--no-welcome")
            parsed.bNoWelcome = true;
        else if (argument == "--dbgl")
            ++i;
        else if (argument == "--screenshot" && i + 1 < argumentsWithProgram.size())
            parsed.strScreenshot = argumentsWithProgram[++i];
        else if (argument.rfind("--", 0) != 0 || argument.size() == 2)
            parsed.files.push_back(argument);
    }
    return parsed;
}
