#include "infra/CProgramSession.h"
#include "infra/CMemoryProfileStore.h"
#include "infra/CNumber.h"
#include "support/TestSupport.h"

#include "support/LogCapture.h"

#include <bit>
#include <clocale>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

namespace {

const std::regex kStamp(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}: )");

// The log's lines with each record's timestamp replaced by "T: ".
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines = SplitCrLf(bytes);
    for (std::string& line : lines)
        line = std::regex_replace(line, kStamp, "T: ", std::regex_constants::format_first_only);
    return lines;
}

class LocaleSwitch {
public:
    explicit LocaleSwitch(const char* name) : m_previous(std::setlocale(LC_ALL, nullptr)) {
        m_active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleSwitch() { std::setlocale(LC_ALL, m_previous.c_str()); }
    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

std::vector<std::uint8_t> DoubleBytes(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 8; ++i)
        bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return bytes;
}

} // namespace

TEST(CProgramSession, StartAndQuitWriteTheLogOfOneRun) {
    TempDir dir;
    const std::string folder = dir.Path();
    WriteFileBytes(folder + "/Setup.prm", ReadFileBytes(FixturePath("setup_prm_defaults.prm")));
    {
        CProgramSession session;
        session.Start(folder, "--dbgl 1", nullptr);
        session.m_Log.WriteDebug("Program Initialization.", 1);
        session.End(ProgramExit::Quit);
        EXPECT_EQ(session.m_Log.m_strPaneBuffer, ReadFileBytes(folder + "/Log.txt"));
    }
    const std::string setup = folder + "/Setup.prm";
    EXPECT_EQ(Lines(ReadFileBytes(folder + "/Log.txt")),
              (std::vector<std::string>{
                  "",
                  "T: ",
                  "T: Tessaric - Version 1.0.3 (build 210106) started.",
                  "T: DEBUG>  Opening file [" + setup + "] for loading program parameters.",
                  "T: DEBUG>  Successfully loaded program parameters from file [" + setup + "].",
                  "T: DEBUG>  Program Initialization.",
                  "T: DEBUG>  Opening file [" + setup + "] for saving program parameters.",
                  "T: DEBUG>  Successfully saved program parameters to file [" + setup + "].",
                  "T: Program Quit.",
                  "T: ",
              }));
}

TEST(CProgramSession, FirstStartUsesDefaultsAndLeavesTheFileBehind) {
    TempDir dir;
    const std::string folder = dir.Path();
    CProgramSession session;
    session.Start(folder, "", nullptr);
    EXPECT_EQ(session.m_Params.LimitPhase, 0.25);
    session.End(ProgramExit::Aborted);

    const std::vector<std::string> lines = Lines(ReadFileBytes(folder + "/Log.txt"));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "",
                         "T: ",
                         "T: Tessaric - Version 1.0.3 (build 210106) started.",
                         "T: ERROR: Failed to open file [" + folder + "/Setup.prm].",
                         "T: Program Aborted.",
                         "T: ",
                     }));
    EXPECT_EQ(ReadFileBytes(folder + "/Setup.prm"),
              ReadFileBytes(FixturePath("setup_prm_defaults.prm")));
}

TEST(CProgramSession, LogIsCutAtStartOnlyAboveTwoMegabytes) {
    TempDir dir;
    const std::string log = dir.File("Log.txt");
    const std::string exact(2097152, 'x');
    WriteFileBytes(log, exact);
    {
        CProgramSession session;
        session.Start(dir.Path(), "", nullptr);
    }
    const std::string kept = ReadFileBytes(log);
    EXPECT_EQ(kept.substr(0, exact.size()), exact);
    EXPECT_EQ(kept.find("erased"), std::string::npos);

    WriteFileBytes(log, exact + "x");
    {
        CProgramSession session;
        session.Start(dir.Path(), "", nullptr);
    }
    const std::vector<std::string> lines = Lines(ReadFileBytes(log));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6),
              (std::vector<std::string>{
                  "",
                  "T: ",
                  "T: The previous content of the log file was erased in order to prevent too "
                  "large log files (max. 2MB).",
                  "T: ",
                  "T: ",
                  "T: Tessaric - Version 1.0.3 (build 210106) started.",
              }));
}

TEST(CProgramSession, ProfileWinsOverTheFileAndEndWritesBoth) {
    TempDir dir;
    WriteFileBytes(dir.File("Setup.prm"), ReadFileBytes(FixturePath("setup_prm_defaults.prm")));
    CMemoryProfileStore profile;
    profile.WriteBinary(kMainParametersName, "LimitPhase", DoubleBytes(0.123456789));
    profile.WriteBinary(kMainParametersName, "ElEnergykV", {0, 0, 0x80, 0x3F});
    profile.WriteInt(kMainParametersName, "MinDiversity", 25);

    CProgramSession session;
    session.Start(dir.Path(), "", &profile);
    EXPECT_EQ(session.m_Params.LimitPhase, 0.123456789);
    EXPECT_EQ(session.m_Params.ElEnergykV, 300.0) << "a 4-byte double is ignored";
    EXPECT_EQ(session.m_Params.MinDiversity, 25);

    session.m_Params.DataDisplayType = 1;
    profile.SetWriteLimit(0); // a refusing profile must not stop the save
    session.End(ProgramExit::Quit);
    const std::vector<std::string> lines = SplitCrLf(ReadFileBytes(dir.File("Setup.prm")));
    EXPECT_EQ(lines[7], "1");
    EXPECT_EQ(lines[11], "0.123457");

    profile.SetWriteLimit(std::nullopt);
    session.End(ProgramExit::Quit);
    EXPECT_EQ(*profile.Find(kMainParametersName, "DataDisplayType"), CMemoryProfileStore::Value(1));
}

TEST(CProgramSession, NonAsciiImportPathKeepsItsBytesAndBothStoresAgree) {
    const char* const paths[] = {"/home/j\xC3\xBCrgen/logs/", "/data/\xC3\x83\xC2\xA9/"};
    for (const char* path : paths) {
        TempDir dir;
        CMemoryProfileStore profile;
        {
            CProgramSession first;
            first.Start(dir.Path(), "", &profile);
            first.m_Params.ImportPath = path;
            first.End(ProgramExit::Quit);
        }
        const std::string written = ReadFileBytes(dir.File("Setup.prm"));
        for (int run = 0; run < 2; ++run) {
            CProgramSession next;
            next.Start(dir.Path(), "", &profile);
            EXPECT_EQ(next.m_Params.ImportPath, path);
            next.End(ProgramExit::Quit);
            EXPECT_EQ(ReadFileBytes(dir.File("Setup.prm")), written) << path;
            EXPECT_EQ(*profile.Find(kMainParametersName, "ImportPath"),
                      CMemoryProfileStore::Value(std::string(path)));
        }
        // the file alone, without the profile, gives the same value
        CProgramSession fileOnly;
        fileOnly.Start(dir.Path(), "", nullptr);
        EXPECT_EQ(fileOnly.m_Params.ImportPath, path);
    }
}

TEST(CProgramSession, WithoutDataFolderNothingIsWrittenAndThePaneStillFills) {
    TempDir dir;
    const auto rootLog = [] {
        return std::filesystem::exists("/Log.txt") ? ReadFileBytes("/Log.txt") : std::string("-");
    };
    const std::string rootLogBefore = rootLog();
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    {
        CProgramSession session;
        session.Start("", "", nullptr);
        session.End(ProgramExit::Quit);
        EXPECT_NE(session.m_Log.m_strPaneBuffer.find("Program Quit."), std::string::npos);
    }
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    EXPECT_EQ(rootLog(), rootLogBefore) << "nothing is written into the root folder";
}

TEST(CProgramSession, NumbersKeepTheirPointUnderADecimalCommaLocale) {
    LocaleSwitch german("de_DE.UTF-8");
    if (!german.Active())
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed; cannot test a decimal comma";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%g", 0.5);
    ASSERT_STREQ(probe, "0,5") << "the locale must really use a decimal comma";

    TempDir dir;
    CProgramSession session;
    session.Start(dir.Path(), "", nullptr);
    session.m_Params.ImportRotDeg = 1.5;
    session.m_Params.LimitPhase = 0.125;
    session.m_Log.WriteLine(FormatC("Tolerance %.3f nm", 2.25));
    session.End(ProgramExit::Quit);

    const std::vector<std::string> lines = SplitCrLf(ReadFileBytes(dir.File("Setup.prm")));
    EXPECT_EQ(lines[6], "1.5");
    EXPECT_EQ(lines[11], "0.125");
    EXPECT_NE(ReadFileBytes(dir.File("Log.txt")).find("Tolerance 2.250 nm"), std::string::npos);

    CProgramSession next;
    next.Start(dir.Path(), "", nullptr);
    EXPECT_EQ(next.m_Params.ImportRotDeg, 1.5);
    EXPECT_EQ(next.m_Params.LimitPhase, 0.125);
}

TEST(CProgramSession, ArgumentTextLeavesOutTheProgram) {
    EXPECT_EQ(CommandLineArgumentText({"/usr/bin/tessaric", "--dbgl", "3"}), "--dbgl 3");
    EXPECT_EQ(CommandLineArgumentText({"/usr/bin/tessaric"}), "");
    EXPECT_EQ(CommandLineArgumentText({}), "");
    EXPECT_EQ(DebugLevelFromCommandLine(CommandLineArgumentText({"t", "--dbgl", "3"})), 3u);
}
