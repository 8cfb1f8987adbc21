#pragma once

#include <string>
#include <vector>

// The command line of the window program: logs to open and the switches it
// understands. "--debug" and "--dbgl N" belong to the program log and are
// read there from the argument text; the value after "--dbgl" is no file.
struct WINDOWARGUMENTS {
    std::vector<std::string> files;
    bool bNoWelcome = false; // "--no-welcome": scripted runs skip the welcome window
    // "--screenshot FILE": once the files are open, save the window as it
    // shows on the screen to FILE (PNG) and quit; for scripted checks.
    std::string strScreenshot;
};

WINDOWARGUMENTS ParseWindowArguments(const std::vector<std::string>& argumentsWithProgram);
