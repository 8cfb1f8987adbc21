#include "infra/CLogFile.h"
#include "support/TestSupport.h"

#include "support/LogCapture.h"

#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

namespace {

const std::regex kRecord(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}: (.*))");

// The texts of a log file's records, after checking each record's timestamp
// and the empty first line.
std::vector<std::string> RecordTexts(const std::string& bytes) {
    std::vector<std::string> lines = SplitCrLf(bytes);
    EXPECT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "") << "a log begins with an empty line";
    std::vector<std::string> texts;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::smatch match;
        EXPECT_TRUE(std::regex_match(lines[i], match, kRecord)) << lines[i];
        texts.push_back(match.size() > 1 ? match[1].str() : lines[i]);
    }
    return texts;
}

} // namespace

TEST(CLogFile, RecordsStartOnNewLinesAndFileIsClosedBetweenThem) {
    TempDir dir;
    CLogFile log;
    log.SetPath(dir.File("Log.txt"));
    log.m_bFeedPane = 1;
    ASSERT_TRUE(log.WriteLine("first"));
    EXPECT_EQ(log.m_bOpen, 0);
    ASSERT_TRUE(log.WriteLine(""));
    ASSERT_TRUE(log.WriteLine("Temperatur 20\xC2\xB2"));
    EXPECT_EQ(log.m_bOpen, 0);

    const std::string bytes = ReadFileBytes(dir.File("Log.txt"));
    EXPECT_EQ(RecordTexts(bytes), (std::vector<std::string>{"first", "", "Temperatur 20\xB2"}));
    EXPECT_EQ(bytes.back(), '\xB2') << "no line break follows the last record";
    // The pane shows the same lines, but keeps the text in UTF-8.
    EXPECT_EQ(RecordTexts(log.m_strPaneBuffer),
              (std::vector<std::string>{"first", "", "Temperatur 20\xC2\xB2"}));
}

TEST(CLogFile, HeldOpenLogAppendsWithoutClosing) {
    TempDir dir;
    CLogFile log;
    ASSERT_TRUE(log.OpenLog(dir.File("Log.txt")));
    EXPECT_EQ(log.m_strPath, dir.File("Log.txt"));
    ASSERT_TRUE(log.WriteLine("a"));
    EXPECT_EQ(log.m_bOpen, 1);
    log.Close();
    EXPECT_EQ(log.m_bOpen, 0);
    EXPECT_EQ(RecordTexts(ReadFileBytes(dir.File("Log.txt"))), std::vector<std::string>{"a"});
}

TEST(CLogFile, FailedOpenLosesTheRecordForFileAndPane) {
    TempDir dir;
    CLogFile log;
    log.SetPath(dir.File("missing/Log.txt"));
    log.m_bFeedPane = 1;
    EXPECT_FALSE(log.WriteLine("lost"));
    EXPECT_TRUE(log.m_strPaneBuffer.empty());
    EXPECT_FALSE(log.OpenLog(dir.Path())) << "a folder is no log file";
    // A pipe that nobody reads would block the first record for ever.
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(log.OpenLog(dir.File("pipe")));
    EXPECT_EQ(log.m_strPath, dir.File("missing/Log.txt")) << "a failed open changes nothing";
}

TEST(CLogFile, FailedWriteStillReachesThePane) {
    CLogFile log;
    if (!log.OpenLog("/dev/full"))
        GTEST_SKIP() << "/dev/full is not available to simulate a full disk";
    log.m_bFeedPane = 1;
    EXPECT_FALSE(log.WriteLine("disk full"));
    EXPECT_NE(log.m_strPaneBuffer.find(": disk full"), std::string::npos);
}

TEST(CLogFile, GetLogSizeCreatesAMissingFile) {
    TempDir dir;
    CLogFile log;
    log.SetPath(dir.File("Log.txt"));
    EXPECT_EQ(log.GetLogSize(), 0u);
    EXPECT_TRUE(std::ifstream(dir.File("Log.txt")).good());
    log.WriteLine("x");
    EXPECT_EQ(log.GetLogSize(), ReadFileBytes(dir.File("Log.txt")).size());
    EXPECT_EQ(log.m_bOpen, 0);

    CLogFile nowhere;
    nowhere.SetPath(dir.File("missing/Log.txt"));
    EXPECT_EQ(nowhere.GetLogSize(), 0u);
}

TEST(CLogFile, DebugRecordsAreGatedByLevelAndIndentedPerLevel) {
    LogCapture capture(2);
    EXPECT_FALSE(capture.log.WriteDebug("never", 0));
    EXPECT_TRUE(capture.log.WriteDebug("one", 1));
    EXPECT_TRUE(capture.log.WriteDebug("two", 2));
    EXPECT_FALSE(capture.log.WriteDebug("three", 3));
    EXPECT_FALSE(capture.log.WriteDebug("four", 4));
    EXPECT_EQ(capture.texts, (std::vector<std::string>{"DEBUG>  one", "DEBUG>    two"}));

    LogCapture quiet;
    EXPECT_FALSE(quiet.log.WriteDebug("x", 1));
    LogCapture all(0xFFFFFFFFu);
    EXPECT_TRUE(all.log.WriteDebug("x", 4));
    EXPECT_EQ(all.texts, std::vector<std::string>{"DEBUG>        x"});
}

TEST(CLogFile, DebugLevelFromCommandLine) {
    EXPECT_EQ(DebugLevelFromCommandLine(""), 0u);
    EXPECT_EQ(DebugLevelFromCommandLine("--debug"), 2u);
    EXPECT_EQ(DebugLevelFromCommandLine("file.log --debug"), 2u);
    EXPECT_EQ(DebugLevelFromCommandLine("--dbgl 3"), 3u);
    EXPECT_EQ(DebugLevelFromCommandLine("--dbgl 12345"), 12u);
    EXPECT_EQ(DebugLevelFromCommandLine("--dbgl  4"), 4u);
    EXPECT_EQ(DebugLevelFromCommandLine("--debug --dbgl 0"), 0u);
    EXPECT_EQ(DebugLevelFromCommandLine("--debug --dbgl"), 2u);
    EXPECT_EQ(DebugLevelFromCommandLine("--debug --dbgl "), 0u);
    EXPECT_EQ(DebugLevelFromCommandLine("--dbgl 3x"), 3u);
    EXPECT_EQ(DebugLevelFromCommandLine("--dbgl -1"), 0xFFFFFFFFu);
}

TEST(CLogFile, LogWithoutPathFeedsPaneAndSinkOnly) {
    CLogFile silent;
    EXPECT_FALSE(silent.WriteLine("nowhere to go"));

    LogCapture capture;
    capture.log.m_bFeedPane = 1;
    EXPECT_TRUE(capture.log.WriteLine("hello"));
    EXPECT_EQ(capture.texts, std::vector<std::string>{"hello"});
    EXPECT_EQ(RecordTexts(capture.log.m_strPaneBuffer), std::vector<std::string>{"hello"});
    EXPECT_EQ(capture.log.GetLogSize(), 0u);
}

TEST(CLogFile, SizeRuleCutsOnlyAboveTwoMegabytes) {
    TempDir dir;
    const std::string path = dir.File("Log.txt");
    const std::string exact(CLogFile::kMaxLogBytes, 'a');
    WriteFileBytes(path, exact);
    CLogFile log;
    log.SetPath(path);
    EXPECT_FALSE(log.ApplySizeRule());
    EXPECT_EQ(ReadFileBytes(path), exact);

    WriteFileBytes(path, exact + "b");
    EXPECT_TRUE(log.ApplySizeRule());
    EXPECT_EQ(RecordTexts(ReadFileBytes(path)),
              (std::vector<std::string>{"",
                                        "The previous content of the log file was erased in order "
                                        "to prevent too large log files (max. 2MB).",
                                        ""}));
}
