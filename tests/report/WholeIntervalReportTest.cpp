// Golden files: tests/fixtures/report_whole_interval_block.txt and
// export_inside.txt, regenerated with TESSARIC_UPDATE_GOLDEN=1 as the
// report's own (see StabilityReportTest.cpp).
#include "report/ReportTestSupport.h"
#include "report/StabilityReport.h"
#include "report/WholeIntervalExport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(WholeIntervalReport, BlockAndTableMatchGolden) {
    CA1TimeSeries series = MakeEvaluatedSeries();
    const std::string block = BuildWholeIntervalBlock(series);
    ExpectMatchesGolden(block, "report_whole_interval_block.txt");
    const std::vector<std::string> lines = SplitCrLf(BuildStabilityReport(series) + block);
    ASSERT_EQ(lines.size(), 47u + 8u);
    EXPECT_EQ(lines[48], "  Whole-interval lifetimes (stays inside)");
    EXPECT_EQ(lines.back(), lines[1]);

    const TempDir dir;
    ASSERT_TRUE(ExportWholeIntervalTable(series, dir.File("inside.txt")));
    ExpectMatchesGolden(ReadFileBytes(dir.File("inside.txt")), "export_inside.txt");
}

// Without a curve the block says why and no table is written; without a
// model there is no block at all.
TEST(WholeIntervalReport, SeriesWithoutACurveSayWhy) {
    // Without its walk, the model's f falls back: no process has it.
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_dModelDi = 0.0;
    EXPECT_NE(BuildWholeIntervalBlock(series).find(
                  "   - not available: the model is no valid random process"),
              std::string::npos);
    LogCapture log;
    series.m_pLog = log.Log();
    const TempDir dir;
    EXPECT_FALSE(ExportWholeIntervalTable(series, dir.File("inside.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("inside.txt")));
    EXPECT_TRUE(log.HasPrefix("ERROR: Aborted saving whole-interval probability table: the "
                              "model is no valid random process"));

    series.m_nModelState = 0;
    EXPECT_EQ(BuildWholeIntervalBlock(series), "");
}
