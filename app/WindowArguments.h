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
    // "--help" and "--version" print their text and end the program before
    // any window (or display) is needed.
    bool bHelp = false;
    bool bVersion = false;
};

WINDOWARGUMENTS ParseWindowArguments(const std::vector<std::string>& argumentsWithProgram);

// What "--help" and "--version" print; the manual page is made from them.
std::string WindowUsageText();
std::string WindowVersionText();
