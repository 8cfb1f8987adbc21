// Logs that a copy cut short, a stopped clock or another editor made: each
// gets a record that says what is wrong, never a result that looks sound.
#include "data/C1A1LogReader.h"
#include "data/CA1SeriesList.h"
#include "data/ORVEXLogReader.h"
#include "evaluation/AstigmatismTolerance.h"

#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string OrvexTable(int lines) {
    std::string table = "img a22x err(a22x) a22y err(a22y) filetime\n";
    for (int i = 1; i <= lines; ++i)
        table += std::to_string(i) + " 1.0 0.1 2.0 0.2 " + std::to_string(1000 + 2 * i) + "\n";
    return table;
}

} // namespace

TEST(HostileLog, CutORVEXLineIsNoDataLine) {
    TempDir dir;
    const std::string path = dir.File("cut.dat");
    // The copy ended while the instrument wrote line 32.
    WriteFileBytes(path, OrvexTable(30) + "110 0.");
    LogCapture capture;
    CA1SeriesList list;
    ASSERT_EQ(ImportORVEXLog(path, capture.log, 1, 0.0, list), 1);
    const CA1TimeSeries& series = list[0];
    EXPECT_EQ(series.m_nDataLines, 30u);
    EXPECT_EQ(series.m_nStopTime, 1060);
    EXPECT_EQ(series.m_nLastLine, 31);
    EXPECT_DOUBLE_EQ(series.m_dPeriod, 58.0 / 30.0);
    ASSERT_EQ(series.m_Samples.size(), 30u);
    EXPECT_EQ(series.m_Samples.back().nImage, 30);
    EXPECT_TRUE(capture.Has("Warning: Line 32 of file [" + path +
                            "] holds fewer values than the header names columns; it is not read "
                            "as a data line."));
}

TEST(HostileLog, TimeStampsWithoutATimeBase) {
    struct CASE {
        int nStart;
        int nStop;
        const char* pszRecord;
    };
    const CASE cases[] = {
        {100, 100,
         "Warning: The start and stop times of the recording are equal: it has no time base, and "
         "its lifetimes are not given in seconds."},
        {500, 100,
         "ERROR: The stop time of the recording (100 s) lies before its start time (500 s): it has "
         "no valid time base, and its lifetimes are not given in seconds."},
    };
    for (const CASE& c : cases) {
        TempDir dir;
        WriteFileBytes(dir.File("run.log"), GeneratedC1A1Log(c.nStart, c.nStop, 200));
        LogCapture capture;
        CA1SeriesList list;
        ASSERT_EQ(ImportC1A1Log(dir.File("run.log"), capture.log, 1, 0.0, list), 1);
        CA1TimeSeries& series = list[0];
        EXPECT_EQ(series.m_dPeriod, 0.0) << c.nStop;
        EXPECT_FALSE(series.HasTimeBase());
        EXPECT_TRUE(capture.Has(c.pszRecord)) << c.nStop;
        // The samples themselves are sound: only their times are unknown.
        series.EvaluateCharFunction(10);
        ASSERT_EQ(series.m_nCFuncState, 1);
        series.EvaluateLifetime(AstigmatismTolerance(300.0, 1.0, 45.0));
        EXPECT_NE(series.GetLifetimeText().find("time base unknown"), std::string::npos)
            << series.GetLifetimeText();
        EXPECT_TRUE(capture.Has("- Lifetime: time base unknown.") || series.m_nLifetimeState != 1);
    }
}

TEST(HostileLog, RecordingCutOffAtTheEndIsNamed) {
    TempDir dir;
    const std::string path = dir.File("cut.log");
    const std::string complete = GeneratedC1A1Log(0, 40, 20);
    // The second recording starts on line 26 (after a blank line) and never
    // stops.
    WriteFileBytes(path, complete + "\r\n" + complete.substr(0, complete.size() / 2));
    LogCapture capture;
    CA1SeriesList list;
    EXPECT_EQ(ImportC1A1Log(path, capture.log, 1, 0.0, list), 1);
    EXPECT_TRUE(capture.Has("Warning: The recording that starts on line 26 of file [" + path +
                            "] is not finished (no stop time stamp); it is not added."));
}

TEST(HostileLog, Utf16WithByteOrderMarkReadsAsText) {
    using Reader = int (*)(const std::string&, CLogFile&, std::int32_t, double, CA1SeriesList&);
    const std::pair<Reader, std::string> logs[] = {{&ImportC1A1Log, "c1a1_worked_example.log"},
                                                   {&ImportORVEXLog, "orvex_worked_example.dat"}};
    for (const auto& [reader, fixture] : logs) {
        LogCapture capture;
        CA1SeriesList plain;
        ASSERT_EQ(reader(FixturePath(fixture), capture.log, 1, 0.0, plain), 1);
        for (const bool bigEndian : {false, true}) {
            TempDir dir;
            const std::string path = dir.File(fixture);
            WriteFileBytes(path, Utf16WithMark(ReadFileBytes(FixturePath(fixture)), bigEndian));
            CA1SeriesList wide;
            ASSERT_EQ(reader(path, capture.log, 1, 0.0, wide), 1) << fixture << bigEndian;
            EXPECT_EQ(wide[0].m_LogLines, plain[0].m_LogLines) << fixture << bigEndian;
            EXPECT_EQ(wide[0].m_Samples.size(), plain[0].m_Samples.size());
        }
    }
}
