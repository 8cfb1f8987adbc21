// Golden files: tests/fixtures/report_confidence_block.txt and
// export_confidence.txt, regenerated with TESSARIC_UPDATE_GOLDEN=1 as the
// report's own (see StabilityReportTest.cpp).
#include "evaluation/BootstrapConfidence.h"
#include "report/ConfidenceTable.h"
#include "report/ReportTestSupport.h"
#include "report/StabilityReport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Three replicates set by hand, the second failed: the block and the table
// are checked without running the bootstrap. The 16 % limit's upper edge is
// unbounded.
CONFIDENCERESULT MakeConfidence() {
    CONFIDENCERESULT result;
    result.bValid = true;
    result.nReplicates = 3;
    result.nFailed = 1;
    result.nSeed = 42;
    const double inf = std::numeric_limits<double>::infinity();
    result.replicates = {
        {false, {0.07, 0.9, 6.0, 0.04, 55.25, 30.0, 50.0, 80.0}},
        {true, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}},
        {false, {0.09, 1.1, 6.3, 0.06, 64.75, 38.0, 61.0, inf}},
    };
    for (std::size_t q = 0; q < kConfidenceQuantities; ++q)
        result.intervals[q] = {result.replicates[0].values[q] * 1.05,
                               result.replicates[0].values[q], result.replicates[2].values[q]};
    return result;
}

} // namespace

TEST(ConfidenceReport, BlockFollowsTheReportAndMatchesGolden) {
    const CA1TimeSeries series = MakeEvaluatedSeries();
    CONFIDENCERESULT confidence = MakeConfidence();
    const std::string block = BuildConfidenceBlock(series, confidence);
    ExpectMatchesGolden(block, "report_confidence_block.txt");
    const std::vector<std::string> lines = SplitCrLf(BuildStabilityReport(series) + block);
    // the report's 43 lines and its four of fit notes, then the block
    ASSERT_EQ(lines.size(), 47u + 13u);
    EXPECT_EQ(lines[48], "  Confidence (90 %, 3 replicates)");
    EXPECT_EQ(lines[53],
              "   - model lifetime              : 58.0 s (90 % interval 55.2 \u2013 64.8 s)");
    EXPECT_EQ(lines[56],
              "   - upper limit  (16% stability): 84.0 s (90 % interval 80.0 s \u2013 unbounded)");
    EXPECT_EQ(lines[57], "   - failed replicates           : 1 of 3");
    EXPECT_EQ(lines.back(), lines[1]);

    // Replicates from the nearest valid process say so in one line.
    confidence.dClippedShare = 0.0123;
    EXPECT_NE(BuildConfidenceBlock(series, confidence)
                  .find("\r\n   - replicates drawn from       : the nearest valid process "
                        "(1.23 % of the variance clipped)\r\n"),
              std::string::npos);

    // Every replicate failed: the estimates stand without edges.
    for (CONFIDENCEINTERVAL& interval : confidence.intervals)
        interval.dLower = interval.dUpper = std::nan("");
    EXPECT_NE(BuildConfidenceBlock(series, confidence)
                  .find("   - Di                          : "
                        "0.0735 nm (no interval)\r\n"),
              std::string::npos);
}

TEST(ConfidenceReport, TimesOfARecordWithoutTimeBaseAreNotNumbers) {
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_dPeriod = 0.0;
    const std::string block = BuildConfidenceBlock(series, MakeConfidence());
    EXPECT_NE(block.find("   - model lifetime              : time base unknown (90 % interval "
                         "time base unknown)\r\n"),
              std::string::npos);
    EXPECT_EQ(block.find(" s ("), std::string::npos) << block;
    EXPECT_EQ(block.find(" s)"), std::string::npos) << block;
    EXPECT_NE(block.find("0.0735 nm (90 % interval"), std::string::npos);
}

TEST(ConfidenceReport, TableHoldsOneRowPerReplicateAndMatchesGolden) {
    TempDir dir;
    LogCapture log(1);
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_pLog = log.Log();
    const std::string path = dir.File("run1-s001-confidence.txt");
    ASSERT_TRUE(ExportConfidenceTable(series, MakeConfidence(), path));
    ExpectMatchesGolden(ReadFileBytes(path), "export_confidence.txt");
    EXPECT_TRUE(log.Has(Debug(1, "Successfully saved confidence table to file [" + path + "].")));

    // Without a bootstrap result nothing is written.
    EXPECT_FALSE(ExportConfidenceTable(series, CONFIDENCERESULT{}, dir.File("none.txt")));
    EXPECT_EQ(log.Lines().back(), "ERROR: Aborted saving confidence table. Data is not ready.");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);
}
