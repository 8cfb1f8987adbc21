#include "app/WindowArguments.h"

#include "infra/Version.h"

WINDOWARGUMENTS ParseWindowArguments(const std::vector<std::string>& argumentsWithProgram) {
    WINDOWARGUMENTS parsed;
    for (std::size_t i = 1; i < argumentsWithProgram.size(); ++i) {
        const std::string& argument = argumentsWithProgram[i];
        if (argument == "--no-welcome")
            parsed.bNoWelcome = true;
        else if (argument == "--help" || argument == "-h")
            parsed.bHelp = true;
        else if (argument == "--version")
            parsed.bVersion = true;
        else if (argument == "--dbgl")
            ++i;
        else if (argument == "--screenshot" && i + 1 < argumentsWithProgram.size())
            parsed.strScreenshot = argumentsWithProgram[++i];
        else if (argument.rfind("--", 0) != 0 || argument.size() == 2)
            parsed.files.push_back(argument);
    }
    return parsed;
}

std::string WindowUsageText() {
    return R"(Usage: tessaric [options] [LOGFILE...]

Tessaric shows how long the two-fold astigmatism (A22) of an
aberration-corrected electron microscope stays within the tolerance of an
electron energy and a target resolution. The window imports C1A1 logs and
ORVEXStab tables, evaluates their characteristic function, fits the
random-walk-plus-drift model and shows lifetimes, diagrams and the
stability report. Each LOGFILE is imported by the reader its content calls
for. tessaric-cli runs the same evaluation without a window.

Options:
  --no-welcome         open without the welcome window
  --debug              add the debug records up to level 2 to the program log
  --dbgl N             add the debug records up to level N
  --screenshot FILE    once the logs are open, save the window as a PNG image
                       to FILE and quit
  -h, --help           show this text and quit
  --version            show the version and quit

Files:
  The program log Log.txt and the parameters Setup.prm live in the data
  folder: $TESSARIC_DATA_DIR/tessaric when set, otherwise
  $XDG_DATA_HOME/tessaric (~/.local/share/tessaric).
)";
}

std::string WindowVersionText() {
    return std::string("tessaric ") + kTessaricVersionText + "\n";
}
