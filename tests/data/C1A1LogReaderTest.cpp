#include "data/C1A1LogReader.h"
#include "data/CA1SeriesList.h"
#include "data/LogImport.h"

#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(C1A1LogReader, WorkedExampleGivesOneSeriesWithItsKeptLines) {
    LogCapture capture(4);
    CA1SeriesList list;
    const std::string path = FixturePath("c1a1_worked_example.log");
    EXPECT_EQ(ImportC1A1Log(path, capture.log, 1, 0.0, list), 1);

    ASSERT_EQ(list.size(), 1u);
    const CA1TimeSeries& series = list[0];
    EXPECT_EQ(series.m_pLog, nullptr);
    EXPECT_EQ(series.m_strFileName, path);
    EXPECT_EQ(series.m_nFirstLine, 10);
    EXPECT_EQ(series.m_nLastLine, 16);
    EXPECT_EQ(series.m_nStartTime, 100);
    EXPECT_EQ(series.m_nStopTime, 160);
    EXPECT_EQ(series.m_nDataLines, 3u);
    EXPECT_EQ(series.m_nImportType, kImportTypeC1A1);
    EXPECT_EQ(
        series.m_LogLines,
        (std::vector<std::string>{"C1A1 series successfully started.", "dTime: 100 s",
                                  "#1: C1: 12.0nm / 0.0deg, A1: 1.00nm / 10.0deg, conf. 790 cnts",
                                  "#2: C1: 12.1nm / 0.0deg, A1: 2.00nm / 20.0deg, conf. 801 cnts",
                                  "#3: C1: 12.2nm / 1.0deg, A1: 2.50nm / 30.0deg, conf. 812 cnts",
                                  "C1A1 series stopped by user.", "dTime: 160 s"}));
    EXPECT_EQ(series.m_dPeriod, 20.0);
    EXPECT_EQ(series.m_nMirrorY, 1);
    ASSERT_EQ(series.m_Samples.size(), 3u);
    EXPECT_EQ(series.m_Samples[2].nImage, 3);
    EXPECT_NEAR(series.m_Samples[2].dX, 2.5 * std::cos(M_PI / 6), 1e-9);
    EXPECT_NEAR(series.m_Samples[2].dY, 1.25, 1e-9);

    EXPECT_EQ(capture.texts,
              (std::vector<std::string>{
                  "Importing CEOS C1A1 log from file [" + path + "].",
                  Debug(3, "Opening file [" + path + "] for import."),
                  Debug(3, "Reading log file lines ..."),
                  Debug(4, "Found C1A1 log start."),
                  Debug(4, "Found C1A1 log start timestamp."),
                  Debug(4, "Found C1A1 log data line #1."),
                  Debug(4, "Found C1A1 log data line #2."),
                  Debug(4, "Found C1A1 log data line #3."),
                  Debug(4, "Found C1A1 log stop."),
                  Debug(4, "Found C1A1 log stop timestamp."),
                  "Extracting astigmatism data from CEOS C1A1 log...",
                  "- recording frequency: 0.05 Hz",
                  "- y-mirror flag: 1, x-y-plane rotation: 0.0 deg",
                  "- extracted number of astigmatism values: 3",
                  "Extraction finished.",
                  Debug(3, "Added A1-time series log (#1) with 3 data sets, total timespan 60 s."),
                  Debug(3, "Finished reading log file lines."),
                  Debug(2, "Successfully loaded log data from file [" + path + "]."),
                  "Added 1 new A1-time series to the data list.",
              }));
}

TEST(C1A1LogReader, TwoRecordingsAndTheMarkersThatAreNotTaken) {
    LogCapture capture(3);
    CA1SeriesList list;
    list.Append(CA1TimeSeries());
    EXPECT_EQ(ImportC1A1Log(FixturePath("c1a1_two_recordings.log"), capture.log, 1, 0.0, list), 2);
    ASSERT_EQ(list.size(), 3u);

    // The stamp on the start line and the one on the stop line are not taken,
    // and the second start marker inside the recording is ignored.
    const CA1TimeSeries& first = list[1];
    EXPECT_EQ(first.m_nFirstLine, 1);
    EXPECT_EQ(first.m_nLastLine, 8);
    EXPECT_EQ(first.m_nStartTime, 200);
    EXPECT_EQ(first.m_nStopTime, 260);
    EXPECT_EQ(first.m_nDataLines, 3u);
    EXPECT_EQ(first.m_LogLines.size(), 7u);
    EXPECT_EQ(first.m_LogLines[5], "C1A1 series stopped by user.");
    EXPECT_EQ(first.m_Samples.size(), 3u);

    // A start marker between stop marker and stop stamp is ignored; the next
    // stamp completes the running recording.
    const CA1TimeSeries& second = list[2];
    EXPECT_EQ(second.m_nFirstLine, 9);
    EXPECT_EQ(second.m_nLastLine, 15);
    EXPECT_EQ(second.m_nStartTime, 1000);
    EXPECT_EQ(second.m_LogLines[1], "dTime:1000.9s");
    EXPECT_EQ(second.m_nStopTime, 1010);
    EXPECT_EQ(second.m_nDataLines, 2u);
    EXPECT_EQ(second.m_Samples.size(), 2u);

    EXPECT_TRUE(capture.Has(
        Debug(3, "Added A1-time series log (#2) with 3 data sets, total timespan 60 s.")));
    EXPECT_TRUE(capture.Has(
        Debug(3, "Added A1-time series log (#3) with 2 data sets, total timespan 10 s.")));
    EXPECT_EQ(capture.texts.back(), "Added 2 new A1-time series to the data list.");
}

TEST(C1A1LogReader, StartedStateStopsAndTheDataLineRule) {
    LogCapture capture(3);
    CA1SeriesList list;
    EXPECT_EQ(ImportC1A1Log(FixturePath("c1a1_started_state.log"), capture.log, 1, 0.0, list), 1);

    // The first recording stops on its stamp line with no data line and is
    // dropped; the second one counts the text without "cnts" but not the
    // line without " / " behind "A1:".
    ASSERT_EQ(list.size(), 1u);
    const CA1TimeSeries& series = list[0];
    EXPECT_EQ(series.m_nFirstLine, 7);
    EXPECT_EQ(series.m_nLastLine, 13);
    EXPECT_EQ(series.m_nDataLines, 2u);
    EXPECT_EQ(series.m_LogLines,
              (std::vector<std::string>{"C1A1 series successfully started.", "dTime: 300 s",
                                        "#2:", "#3: C1: 1.0nm / 0.0deg, A1: 3nm / 90deg, 7 cnts",
                                        "C1A1 series stopped by user.", "dTime: 200 s"}));
    ASSERT_EQ(series.m_Samples.size(), 1u);
    EXPECT_EQ(series.m_Samples[0].nImage, 3);

    // The stop stamp lies below the start stamp: no time base.
    EXPECT_EQ(series.m_dPeriod, 0.0);
    EXPECT_TRUE(capture.Has(
        Debug(3, "Added A1-time series log (#1) with 2 data sets, total timespan -100 s.")));
    EXPECT_TRUE(capture.Has("- extracted number of astigmatism values: 1"));
}

TEST(C1A1LogReader, OneDataLineIsAddedWithoutSamples) {
    LogCapture capture;
    CA1SeriesList list;
    EXPECT_EQ(ImportC1A1Log(FixturePath("c1a1_one_data_line.log"), capture.log, -1, 10.0, list), 1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].m_nDataLines, 1u);
    EXPECT_TRUE(list[0].m_Samples.empty());
    EXPECT_EQ(list[0].m_dPeriod, 1.0);
    EXPECT_FALSE(capture.HasPrefix("Extracting"));
    EXPECT_TRUE(capture.Has("Added 1 new A1-time series to the data list."));
}

TEST(C1A1LogReader, DataTextIsCutAtTheLastHashAndFirstCounts) {
    TempDir dir;
    const std::string path = dir.File("cut.log");
    WriteFileBytes(path, "C1A1 series successfully started.\n"
                         "dTime: 0 s\n"
                         "pre#x #5: C1: 1nm / 0deg, A1: 2nm / 0deg 3 cnts 9 cnts\n"
                         "#6: C1: 1nm / 0deg, A1: 2nm / 0deg 3 cnts #late\n"
                         "ab#: C1: 1nm / 0deg, A1: 2nm / 0deg\n"
                         "C1A1 series stopped by user.\n"
                         "dTime: 30 s\n");
    LogCapture capture;
    CA1SeriesList list;
    ASSERT_EQ(ImportC1A1Log(path, capture.log, 1, 0.0, list), 1);
    const std::vector<std::string>& kept = list[0].m_LogLines;
    ASSERT_EQ(kept.size(), 7u);
    EXPECT_EQ(kept[2], "#5: C1: 1nm / 0deg, A1: 2nm / 0deg 3 cnts");
    // The last "#" behind "cnts" leaves nothing; without "cnts" the text
    // keeps 3 - h characters from the "#" at h.
    EXPECT_EQ(kept[3], "");
    EXPECT_EQ(kept[4], "#");
    EXPECT_EQ(list[0].m_Samples.size(), 1u);
}
