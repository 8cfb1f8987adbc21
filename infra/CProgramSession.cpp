#include "infra/CProgramSession.h"

#include "infra/CNumber.h"
#include "infra/Version.h"

CProgramSession::CProgramSession() {
    m_Params.m_strName = kMainParametersName;
    m_Params.m_nVersion = kMainParametersVersion;
    m_Params.SetDefaults();
}

std::string CProgramSession::LogPath() const {
    return m_strDataFolder.empty() ? std::string() : m_strDataFolder + "/Log.txt";
}

std::string CProgramSession::SetupPath() const {
    return m_strDataFolder.empty() ? std::string() : m_strDataFolder + "/Setup.prm";
}

void CProgramSession::Start(const std::string& dataFolder, const std::string& arguments,
                            IProfileStore* profile) {
    m_strDataFolder = dataFolder;

    // Everything from here on reaches the message pane.
    m_Log.m_bFeedPane = 1;
    m_Log.m_strPaneBuffer.clear();
    m_Log.SetPath(LogPath());
    m_Log.m_nDebugLevel = DebugLevelFromCommandLine(arguments);
    m_Log.ApplySizeRule();

    m_Log.WriteLine("");
    const std::string started = FormatC("Tessaric - Version %s started.", kTessaricVersionText);
    m_Log.WriteLine(started);
    // A log that cannot be written loses every record, in the pane too; the
    // program then keeps its records in the pane and says why, once.
    if (m_Log.FileFailed()) {
        m_Log.SetPath({});
        m_Log.WriteLine(started);
    }
    const char* pszConsequence =
        ": the program log is shown here only and the parameters are not saved to Setup.prm.";
    if (m_strDataFolder.empty())
        m_Log.WriteLine(std::string("Warning: No data folder could be found or created") +
                        pszConsequence);
    else if (m_Log.FileFailed())
        m_Log.WriteLine("Warning: The data folder [" + m_strDataFolder + "] cannot be written" +
                        pszConsequence);

    // The profile is per user and read last, so it wins over the shared file.
    m_Params.m_pLog = &m_Log;
    m_Params.LoadFile(SetupPath());
    m_Params.AttachProfile(profile);
    m_Params.ReadProfile();
}

void CProgramSession::End(ProgramExit exit) {
    // A profile that refuses an entry must not keep "Setup.prm" from being
    // saved; neither failure keeps the program from ending.
    m_Params.WriteProfile();
    m_Params.SaveFile(SetupPath());
    m_Log.WriteLine(exit == ProgramExit::Quit ? "Program Quit." : "Program Aborted.");
    m_Log.WriteLine("");
}

std::string CommandLineArgumentText(const std::vector<std::string>& argumentsWithProgram) {
    std::string text;
    for (std::size_t i = 1; i < argumentsWithProgram.size(); ++i) {
        if (i > 1)
            text += ' ';
        text += argumentsWithProgram[i];
    }
    return text;
}
