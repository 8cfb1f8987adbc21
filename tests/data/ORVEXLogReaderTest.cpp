#include "data/ORVEXLogReader.h"
#include "data/CA1SeriesList.h"
#include "data/LogImport.h"

#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string kHeader = "img a22x err(a22x) a22y err(a22y) filetime";

// Imports `content` from a file in a fresh folder; the series, if any, is
// list[0].
struct ImportedTable {
    explicit ImportedTable(const std::string& content) {
        path = dir.File("table.dat");
        WriteFileBytes(path, content);
        result = ImportORVEXLog(path, capture.log, 1, 0.0, list);
    }
    TempDir dir;
    std::string path;
    LogCapture capture;
    CA1SeriesList list;
    int result = 0;
};

} // namespace

TEST(ORVEXLogReader, WorkedExampleGivesOneSeries) {
    LogCapture capture(4);
    CA1SeriesList list;
    const std::string path = FixturePath("orvex_worked_example.dat");
    EXPECT_EQ(ImportORVEXLog(path, capture.log, 1, 0.0, list), 1);
    ASSERT_EQ(list.size(), 1u);
    const CA1TimeSeries& series = list[0];
    EXPECT_EQ(series.m_strFileName, path);
    EXPECT_EQ(series.m_nFirstLine, 5);
    EXPECT_EQ(series.m_nLastLine, 106);
    EXPECT_EQ(series.m_nDataLines, 100u);
    EXPECT_EQ(series.m_nStartTime, 1000);
    EXPECT_EQ(series.m_nStopTime, 1198);
    EXPECT_EQ(series.m_nImportType, kImportTypeORVEX);
    ASSERT_EQ(series.m_LogLines.size(), 102u);
    EXPECT_EQ(series.m_LogLines[0], kHeader);
    EXPECT_EQ(series.m_LogLines[1], "1 1.010 0.100 -1.980 0.200 1000");
    EXPECT_EQ(series.m_LogLines[101], "#");
    EXPECT_DOUBLE_EQ(series.m_dPeriod, 1.98);
    ASSERT_EQ(series.m_Samples.size(), 100u);
    EXPECT_EQ(series.m_Samples[99].nImage, 100);
    EXPECT_DOUBLE_EQ(series.m_Samples[99].dX, 2.0);
    EXPECT_DOUBLE_EQ(series.m_Samples[99].dErrY, 0.2);

    EXPECT_EQ(capture.texts.front(), "Importing ORVEX Stability log from file [" + path + "].");
    EXPECT_TRUE(capture.Has(Debug(4, "Found ORVEXStab log start.")));
    EXPECT_TRUE(capture.Has(Debug(4, "Found ORVEXStab log data line #100.")));
    EXPECT_TRUE(capture.Has(Debug(4, "Found ORVEXStab log stop.")));
    EXPECT_TRUE(capture.Has("- recording frequency: 0.51 Hz"));
    const std::vector<std::string> tail(capture.texts.end() - 4, capture.texts.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "Extraction finished.",
                        Debug(3, "Added A1-time series log (#1) with 100 data sets, "
                                 "total timespan 198 s."),
                        Debug(2, "Successfully loaded log data from file [" + path + "]."),
                        "Added 1 new A1-time series to the data list."}));
}

TEST(ORVEXLogReader, TableWithoutStopLineRunsToTheEndOfTheFile) {
    LogCapture capture;
    CA1SeriesList list;
    ASSERT_EQ(ImportORVEXLog(FixturePath("orvex_no_stop_line.dat"), capture.log, 1, 0.0, list), 1);
    const CA1TimeSeries& series = list[0];
    EXPECT_EQ(series.m_nFirstLine, 1);
    EXPECT_EQ(series.m_nLastLine, 5);
    EXPECT_EQ(series.m_nDataLines, 4u);
    EXPECT_EQ(series.m_LogLines.size(), 5u); // no "#" without a stop line
    EXPECT_EQ(series.m_LogLines[4], "4 1.5 0.1 2.5 0.2 530");
    EXPECT_EQ(series.m_nStopTime, 530);
    EXPECT_EQ(series.m_Samples.size(), 2u); // "not used" and the empty line count
    EXPECT_TRUE(capture.Has("- extracted number of astigmatism values: 2"));
}

TEST(ORVEXLogReader, HeadersThatAreNotRecognisedGiveTheLoadError) {
    for (const std::string& header : std::vector<std::string>{
             " " + kHeader, "img a22x err(a22x) a22y err(a22y) time",
             "img a22x err(a22x) a22y time", "x img a22x err(a22x) a22y err(a22y) filetime"}) {
        ImportedTable table(header + "\n1 1.0 0.1 2.0 0.2 5\n2 1.0 0.1 2.0 0.2 6\n");
        EXPECT_EQ(table.result, 0) << header;
        EXPECT_TRUE(table.list.empty());
        EXPECT_EQ(table.capture.texts.back(),
                  "ERROR: Failed to load log data from file [" + table.path + "].");
    }
    // The column order is free.
    ImportedTable reordered("img filetime err(a22y) a22y err(a22x) a22x\n1 5 0.2 2.0 0.1 1.0\n");
    EXPECT_EQ(reordered.result, 1);
}

TEST(ORVEXLogReader, StopLineDirectlyAfterTheHeaderGivesTheLoadError) {
    ImportedTable table(kHeader + "\n# stopped\n1 1.0 0.1 2.0 0.2 5\n");
    EXPECT_EQ(table.result, 0);
    EXPECT_TRUE(table.list.empty());
    EXPECT_TRUE(
        table.capture.Has("ERROR: Failed to load log data from file [" + table.path + "]."));
    EXPECT_FALSE(table.capture.HasPrefix("Added"));
}

TEST(ORVEXLogReader, TimeValuesFromTheLastColumnWithFallBacks) {
    // An empty first line gives 1, an empty last line the number of lines.
    ImportedTable empties(kHeader + "\n  \n2 1.0 0.1 2.0 0.2 50\n3 1.0 0.1 2.0 0.2 60\n\n#\n");
    ASSERT_EQ(empties.result, 1);
    EXPECT_EQ(empties.list[0].m_nStartTime, 1);
    EXPECT_EQ(empties.list[0].m_nStopTime, 4);
    EXPECT_EQ(empties.list[0].m_LogLines[1], "");

    // A last column that is no number gives 0, a stop before the start and
    // so no time base; numbers beyond 32 bits are clamped.
    ImportedTable text(kHeader + "\n1 1.0 0.1 2.0 0.2 100\n2 1.0 0.1 2.0 0.2 n/a\n");
    ASSERT_EQ(text.result, 1);
    EXPECT_EQ(text.list[0].m_nStopTime, 0);
    EXPECT_EQ(text.list[0].m_dPeriod, 0.0);
    EXPECT_TRUE(text.capture.Has("Added 1 new A1-time series to the data list."));

    ImportedTable huge(kHeader + "\n1 1.0 0.1 2.0 0.2 -99999999999\n2 1.0 0.1 2.0 0.2 " +
                       "99999999999\n");
    ASSERT_EQ(huge.result, 1);
    EXPECT_EQ(huge.list[0].m_nStartTime, INT32_MIN);
    EXPECT_EQ(huge.list[0].m_nStopTime, INT32_MAX);

    // Blanks are trimmed, tabs stay.
    ImportedTable tabs(kHeader + "\n 1 1.0 0.1 2.0 0.2\t7  \n 2 1.0 0.1 2.0 0.2 1234 \n");
    ASSERT_EQ(tabs.result, 1);
    EXPECT_EQ(tabs.list[0].m_LogLines[1], "1 1.0 0.1 2.0 0.2\t7");
    EXPECT_EQ(tabs.list[0].m_nStartTime, 0); // "0.2<tab>7" reads as 0
    EXPECT_EQ(tabs.list[0].m_nStopTime, 1234);
}

TEST(ORVEXLogReader, OneDataLineIsAddedWithoutSamples) {
    ImportedTable table(kHeader + "\n1 1.0 0.1 2.0 0.2 5\n#\n");
    ASSERT_EQ(table.result, 1);
    EXPECT_EQ(table.list[0].m_nDataLines, 1u);
    EXPECT_TRUE(table.list[0].m_Samples.empty());
    EXPECT_FALSE(table.capture.HasPrefix("Extracting"));
}

TEST(ORVEXLogReader, SameFileTwiceGivesTwoEqualSeries) {
    LogCapture capture;
    CA1SeriesList list;
    const std::string path = FixturePath("orvex_worked_example.dat");
    ASSERT_EQ(ImportORVEXLog(path, capture.log, -1, 30.0, list), 1);
    ASSERT_EQ(ImportORVEXLog(path, capture.log, -1, 30.0, list), 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].m_LogLines, list[1].m_LogLines);
    ASSERT_EQ(list[0].m_Samples.size(), list[1].m_Samples.size());
    for (std::size_t i = 0; i < list[0].m_Samples.size(); ++i) {
        EXPECT_EQ(list[0].m_Samples[i].dX, list[1].m_Samples[i].dX);
        EXPECT_EQ(list[0].m_Samples[i].dY, list[1].m_Samples[i].dY);
    }
    EXPECT_TRUE(capture.Has("- y-mirror flag: -1, x-y-plane rotation: 30.0 deg"));
}
