// The golden file tests/fixtures/setup_prm_defaults.prm holds "Setup.prm" as
// written with every parameter at its default. Regenerate it with (one line)
//   printf "'[Main Parameters]'\r\nVersion
//   2013111101\r\n\r\n\r\n1\r\n1\r\n0\r\n0\r\n10\r\n300\r\n1\r\n0.25\r\n" >
//   tests/fixtures/setup_prm_defaults.prm
#include "infra/CMainParameters.h"
#include "infra/CMemoryProfileStore.h"
#include "infra/CTextFile.h"
#include "support/TestSupport.h"

#include "support/LogCapture.h"
#include "support/WriteLimitGuard.h"

#include <gtest/gtest.h>

namespace {

CMainParameters NamedParameters(CLogFile* log) {
    CMainParameters params;
    params.m_strName = kMainParametersName;
    params.m_nVersion = kMainParametersVersion;
    params.SetDefaults();
    params.m_pLog = log;
    return params;
}

// Every parameter away from its default; the values a valid file below holds.
const std::vector<std::string> kValidLines = {"'[Main Parameters]'",
                                              "Version 2013111101",
                                              "/data/in",
                                              "/data/out",
                                              "2",
                                              "-1",
                                              "12.5",
                                              "1",
                                              "20",
                                              "200",
                                              "0.8",
                                              "0.5"};

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

void ExpectDefaults(const CMainParameters& p) {
    EXPECT_EQ(p.ImportType, 1);
    EXPECT_EQ(p.ImportPath, "");
    EXPECT_EQ(p.OutputPath, "");
    EXPECT_EQ(p.ImportRotDeg, 0.0);
    EXPECT_EQ(p.ImportMirrorY, 1);
    EXPECT_EQ(p.DataDisplayType, 0);
    EXPECT_EQ(p.MinDiversity, 10);
    EXPECT_EQ(p.ElEnergykV, 300.0);
    EXPECT_EQ(p.TargetResAng, 1.0);
    EXPECT_EQ(p.LimitPhase, 0.25);
}

} // namespace

TEST(CMainParameters, DefaultsAreWrittenByteForByte) {
    TempDir dir;
    CMainParameters params = NamedParameters(nullptr);
    ASSERT_TRUE(params.SaveFile(dir.File("Setup.prm")));
    EXPECT_EQ(ReadFileBytes(dir.File("Setup.prm")),
              ReadFileBytes(FixturePath("setup_prm_defaults.prm")));

    params.MinDiversity = 99;
    ASSERT_TRUE(params.LoadFile(FixturePath("setup_prm_defaults.prm")));
    ExpectDefaults(params);
}

TEST(CMainParameters, EveryParameterSurvivesTheFile) {
    TempDir dir;
    LogCapture capture(1);
    CMainParameters saved = NamedParameters(&capture.log);
    saved.ImportType = 2;
    saved.ImportPath = "/home/M\xC3\xBCller/logs";           // Latin-1 on disk
    saved.OutputPath = "/out/\xE2\x86\x92 \xC3\xBC results"; // beyond Latin-1: UTF-8
    saved.ImportRotDeg = -12.5;
    saved.ImportMirrorY = -1;
    saved.DataDisplayType = 1;
    saved.MinDiversity = 2;
    saved.ElEnergykV = 12345678.0;
    saved.TargetResAng = 0.8;
    saved.LimitPhase = 0.123456789;
    const std::string path = dir.File("Setup.prm");
    ASSERT_TRUE(saved.SaveFile(path));

    CMainParameters loaded = NamedParameters(&capture.log);
    ASSERT_TRUE(loaded.LoadFile(path));
    EXPECT_EQ(loaded.ImportType, 2);
    EXPECT_EQ(loaded.ImportPath, saved.ImportPath);
    EXPECT_EQ(loaded.OutputPath, saved.OutputPath);
    EXPECT_EQ(loaded.ImportRotDeg, -12.5);
    EXPECT_EQ(loaded.ImportMirrorY, -1);
    EXPECT_EQ(loaded.DataDisplayType, 1);
    EXPECT_EQ(loaded.MinDiversity, 2);
    EXPECT_EQ(loaded.ElEnergykV, 12345700.0) << "six significant digits";
    EXPECT_EQ(loaded.TargetResAng, 0.8);
    EXPECT_EQ(loaded.LimitPhase, 0.123457);

    const std::vector<std::string> lines = SplitCrLf(ReadFileBytes(path));
    EXPECT_EQ(lines[2], "/home/M\xFCller/logs");
    EXPECT_EQ(lines[9], "1.23457e+07");

    EXPECT_EQ(capture.texts,
              (std::vector<std::string>{
                  "DEBUG>  Opening file [" + path + "] for saving program parameters.",
                  "DEBUG>  Successfully saved program parameters to file [" + path + "].",
                  "DEBUG>  Opening file [" + path + "] for loading program parameters.",
                  "DEBUG>  Successfully loaded program parameters from file [" + path + "].",
              }));

    // A line break inside a folder name must not shift the later values.
    saved.ImportPath = "/logs/two\nlines";
    saved.OutputPath = "/out\r\n";
    ASSERT_TRUE(saved.SaveFile(path));
    EXPECT_EQ(SplitCrLf(ReadFileBytes(path)).size(), 13u);
    ASSERT_TRUE(loaded.LoadFile(path));
    EXPECT_EQ(loaded.ImportPath, "/logs/two");
    EXPECT_EQ(loaded.OutputPath, "/out");
    EXPECT_EQ(loaded.ImportType, 2);
    EXPECT_EQ(loaded.LimitPhase, 0.123457);
}

TEST(CMainParameters, LenientLinesAreAccepted) {
    TempDir dir;
    std::vector<std::string> lines = kValidLines;
    lines[0] = "'[Main Parameters]' written by hand";
    lines[1] = "Version  2013111101 (November)";
    lines[2] = "";      // an empty path is a path
    lines[8] = "12abc"; // the number ends at the first letter
    lines[9] = "keV";   // no number reads as 0
    lines.push_back("extra lines are ignored");
    WriteFileBytes(dir.File("Setup.prm"), JoinCrLf(lines));

    LogCapture capture;
    CMainParameters params = NamedParameters(&capture.log);
    params.ImportPath = "before";
    ASSERT_TRUE(params.LoadFile(dir.File("Setup.prm")));
    EXPECT_EQ(params.ImportPath, "");
    EXPECT_EQ(params.MinDiversity, 12);
    EXPECT_EQ(params.ElEnergykV, 0.0);
    EXPECT_EQ(params.LimitPhase, 0.5);
    EXPECT_TRUE(capture.texts.empty());

    // Without the opening mark the name starts at the second character.
    lines[0] = "'Main Parameters]'";
    WriteFileBytes(dir.File("Setup.prm"), JoinCrLf(lines));
    EXPECT_TRUE(params.LoadFile(dir.File("Setup.prm")));
}

TEST(CMainParameters, LoadFailuresReportInOrderAndLeaveTheirState) {
    enum class State { Unchanged, Defaults, ReadUpToRotation, ReadUpToDisplay };
    auto lines = [](std::size_t index, const std::string& line) {
        std::vector<std::string> changed = kValidLines;
        changed[index] = line;
        return JoinCrLf(changed);
    };
    auto firstLines = [](std::size_t count) {
        return JoinCrLf(std::vector<std::string>(kValidLines.begin(), kValidLines.begin() + count));
    };
    const std::string unexpected = "ERROR: Unexpected content while reading main parameters.";
    const std::string readFailed = "ERROR: Failed to read main parameters from file.";
    struct Row {
        const char* what;
        std::string content;
        std::string message;
        State state;
    };
    const std::vector<Row> rows = {
        {"empty file", "", unexpected, State::Unchanged},
        {"section line only", firstLines(1), unexpected, State::Unchanged},
        {"name in lower case", lines(0, "'[main parameters]'"), unexpected, State::Unchanged},
        {"no closing mark", lines(0, "'[Main Parameters"), unexpected, State::Unchanged},
        {"empty name", lines(0, "'[]'"), unexpected, State::Unchanged},
        {"other section", lines(0, "'[A1-Time Series Data]'"), unexpected, State::Unchanged},
        {"version key at the end", lines(1, "Version "), unexpected, State::Unchanged},
        {"no version key", lines(1, "Revision 2013111101"), unexpected, State::Unchanged},
        {"other version", lines(1, "Version 2013111102"),
         "ERROR: Unsupported version of parameter file.", State::Defaults},
        {"missing value line", firstLines(7), readFailed, State::ReadUpToRotation},
        {"empty numeric line", lines(8, ""), readFailed, State::ReadUpToDisplay},
    };

    TempDir dir;
    const std::string path = dir.File("Setup.prm");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteFileBytes(path, row.content);
        LogCapture capture;
        CMainParameters params = NamedParameters(&capture.log);
        params.MinDiversity = 77;
        params.ImportPath = "kept";
        EXPECT_FALSE(params.LoadFile(path));
        EXPECT_EQ(capture.texts,
                  (std::vector<std::string>{row.message,
                                            "ERROR: Failed to load program parameters from file [" +
                                                path + "]."}));
        switch (row.state) {
        case State::Unchanged:
            EXPECT_EQ(params.MinDiversity, 77);
            EXPECT_EQ(params.ImportPath, "kept");
            break;
        case State::Defaults:
            ExpectDefaults(params);
            break;
        case State::ReadUpToRotation:
            EXPECT_EQ(params.ImportRotDeg, 12.5);
            EXPECT_EQ(params.ImportMirrorY, -1);
            EXPECT_EQ(params.DataDisplayType, 0);
            EXPECT_EQ(params.MinDiversity, 10);
            break;
        case State::ReadUpToDisplay:
            EXPECT_EQ(params.DataDisplayType, 1);
            EXPECT_EQ(params.MinDiversity, 10);
            EXPECT_EQ(params.LimitPhase, 0.25);
            break;
        }
    }
}

TEST(CMainParameters, OpenFailuresReportOnlyTheOpen) {
    TempDir dir;
    WriteFileBytes(dir.File("regular"), "x");
    LogCapture capture;
    CMainParameters params = NamedParameters(&capture.log);
    const std::string missing = dir.File("Setup.prm");
    const std::string below = dir.File("regular/Setup.prm");
    EXPECT_FALSE(params.LoadFile(missing));
    EXPECT_FALSE(params.SaveFile(below));
    EXPECT_FALSE(params.SaveFile(dir.Path()));
    EXPECT_FALSE(params.LoadFile(""));
    EXPECT_FALSE(params.SaveFile(""));
    EXPECT_EQ(capture.texts, (std::vector<std::string>{
                                 "ERROR: Failed to open file [" + missing + "].",
                                 "ERROR: Failed to open file [" + below + "].",
                                 "ERROR: Failed to open file [" + dir.Path() + "].",
                             }));
}

TEST(CMainParameters, FailedSaveKeepsThePreviousFile) {
    TempDir dir;
    const std::string path = dir.File("Setup.prm");
    const std::string previous = JoinCrLf(kValidLines);
    WriteFileBytes(path, previous);
    LogCapture capture;
    CMainParameters params = NamedParameters(&capture.log);
    {
        // The header and a few values fit, the rest does not.
        WriteLimitGuard limit(45);
        EXPECT_FALSE(params.SaveFile(path));
    }
    EXPECT_EQ(capture.texts,
              (std::vector<std::string>{"ERROR: Failed to write main parameters to file.",
                                        "ERROR: Failed to save program parameters to file [" +
                                            path + "]."}));
    EXPECT_EQ(ReadFileBytes(path), previous);
    EXPECT_EQ(FilesIn(dir.Path()), 1u) << "no temporary file is left behind";
}

TEST(CMainParameters, ReadAndWriteWithoutAFileAreInterfaceErrors) {
    LogCapture capture;
    CMainParameters params = NamedParameters(&capture.log);
    CTextFileReader unopened;
    EXPECT_FALSE(params.Read(nullptr));
    EXPECT_FALSE(params.Read(&unopened));
    EXPECT_FALSE(params.Write(nullptr));
    const std::string reading =
        "ERROR: Internal interface error while reading main parameter from file.";
    EXPECT_EQ(capture.texts,
              (std::vector<std::string>{
                  reading, reading,
                  "ERROR: Internal interface error while writing main parameters to file."}));
    std::string name = "x";
    std::int32_t version = 5;
    EXPECT_FALSE(params.ReadHeader(nullptr, name, version));
    EXPECT_EQ(name, "");
    EXPECT_EQ(version, 0);
}

TEST(CMainParameters, ProfileEntriesAreWrittenInFileOrderAndStopAtTheFirstRefusal) {
    const std::vector<std::string> order = {
        "ImportPath",      "OutputPath",   "ImportType", "ImportMirrorY", "ImportRotDeg",
        "DataDisplayType", "MinDiversity", "ElEnergykV", "TargetResAng",  "LimitPhase"};
    CMainParameters params = NamedParameters(nullptr);
    EXPECT_FALSE(params.WriteProfile()) << "nothing to write to";
    for (std::size_t accepted = 0; accepted <= order.size(); ++accepted) {
        SCOPED_TRACE(accepted);
        CMemoryProfileStore store;
        store.SetWriteLimit(accepted);
        params.AttachProfile(&store);
        EXPECT_EQ(params.WriteProfile(), accepted == order.size());
        EXPECT_EQ(store.Size(), accepted);
        for (std::size_t i = 0; i < accepted; ++i)
            EXPECT_NE(store.Find(kMainParametersName, order[i]), nullptr) << order[i];
    }
}

TEST(CMainParameters, ProfileKeepsTypesAndLittleEndianDoubles) {
    CMemoryProfileStore store;
    CMainParameters params = NamedParameters(nullptr);
    params.AttachProfile(&store);
    params.ImportPath = "/in";
    ASSERT_TRUE(params.WriteProfile());
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(*store.Find(kMainParametersName, "LimitPhase"),
              CMemoryProfileStore::Value(Bytes{0, 0, 0, 0, 0, 0, 0xD0, 0x3F}));
    EXPECT_EQ(*store.Find(kMainParametersName, "MinDiversity"), CMemoryProfileStore::Value(10));
    EXPECT_EQ(*store.Find(kMainParametersName, "ImportPath"),
              CMemoryProfileStore::Value(std::string("/in")));
}

TEST(CMainParameters, ProfileReadKeepsValuesItCannotTake) {
    CMemoryProfileStore store;
    CMainParameters source = NamedParameters(nullptr);
    source.LimitPhase = 0.123456789;
    source.ElEnergykV = 200.0;
    source.MinDiversity = 3;
    source.AttachProfile(&store);
    ASSERT_TRUE(source.WriteProfile());
    // A double of four bytes and an integer stored as text are not taken.
    store.WriteBinary(kMainParametersName, "ElEnergykV", {0, 0, 0x80, 0x3F});
    store.WriteString(kMainParametersName, "MinDiversity", "3");

    CMainParameters target = NamedParameters(nullptr);
    target.ReadProfile(); // no profile: nothing happens
    target.ElEnergykV = 120.0;
    target.AttachProfile(&store);
    target.ReadProfile();
    EXPECT_EQ(target.LimitPhase, 0.123456789) << "the profile keeps doubles exactly";
    EXPECT_EQ(target.ElEnergykV, 120.0);
    EXPECT_EQ(target.MinDiversity, 10);

    CMemoryProfileStore empty;
    target.AttachProfile(&empty);
    target.ReadProfile();
    EXPECT_EQ(target.ElEnergykV, 120.0);
}
