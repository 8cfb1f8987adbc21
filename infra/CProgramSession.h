#pragma once

#include "infra/CLogFile.h"
#include "infra/CMainParameters.h"

#include <string>
#include <vector>

class IProfileStore;

enum class ProgramExit {
    Quit,    // the "Quit" command
    Aborted, // the window was closed any other way
};

// What lives for the whole run of the program and how it begins and ends:
// the program log and the parameter set, with the start-up and shut-down
// sequences that the main window (or the command-line program, or a test)
// runs without needing a window.
class CProgramSession {
public:
    CProgramSession();
    CProgramSession(const CProgramSession&) = delete;
    CProgramSession& operator=(const CProgramSession&) = delete;

    // `dataFolder` is the program data folder (FindProgramDataFolder), ""
    // when none could be found: the run then keeps no log file and no
    // "Setup.prm" rather than writing them into the root folder, and its
    // records reach only the pane. `arguments` is the command line without
    // the program's own path. `profile` may be null (no profile).
    void Start(const std::string& dataFolder, const std::string& arguments, IProfileStore* profile);

    // The caller takes the display choice into m_Params first.
    void End(ProgramExit exit);

    std::string LogPath() const;
    std::string SetupPath() const;

    std::string m_strDataFolder;
    CLogFile m_Log;
    CMainParameters m_Params;
};

// The argument text of a command line: the arguments after the program's
// path, joined by single blanks.
std::string CommandLineArgumentText(const std::vector<std::string>& argumentsWithProgram);
