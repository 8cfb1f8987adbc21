// Golden files of this test: tests/fixtures/report_with_model.txt,
// report_direct_only.txt and report_direct_warning.txt. To regenerate them
// after an intended change of the report, run
//     TESSARIC_UPDATE_GOLDEN=1 build/tests/test_report --gtest_filter='StabilityReport*'
// and review the difference of tests/fixtures/ before committing it.
#include "report/StabilityReport.h"
#include "evaluation/ProbabilityModel.h"
#include "report/ReportTestSupport.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

CA1TimeSeries DirectOnly(double dLifetime) {
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_nModelState = 0;
    series.m_dModelDi = series.m_dModelDa = series.m_dModelTc = series.m_dModelS = 0.0;
    series.m_dModelLifetime = series.m_dModelSSqr = 0.0;
    series.m_dLifetime = dLifetime;
    return series;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST(StabilityReport, WithModelMatchesGoldenAndLayout) {
    const CA1TimeSeries series = MakeEvaluatedSeries();
    const std::string report = BuildStabilityReport(series);
    ExpectMatchesGolden(report, "report_with_model.txt");

    const std::vector<std::string> lines = SplitCrLf(report);
    // 43 lines of the report's own, then the fit notes: 20 points and a
    // lifetime 5.7 times beyond the extracted 10.5 s
    ASSERT_EQ(lines.size(), 47u);
    EXPECT_EQ(lines[0], " ");
    EXPECT_EQ(lines[1], " " + std::string(78, '-'));
    EXPECT_EQ(lines[2], "  Tessaric v1.0.3 (build 210106) - Astigmatism Stability Report");
    EXPECT_EQ(lines[42], lines[1]);
    EXPECT_EQ(lines[43], " ");
    EXPECT_EQ(lines[44], "  Fit notes:");
    EXPECT_EQ(lines[45],
              "   - Lifetime is 5.71 x the longest time span: an extrapolation; record longer.");
    // The direct lifetime (7.5 s) lies inside the extracted range (21 * 0.5 s).
    EXPECT_EQ(lines[5], "  Estimated lifetime: 60.0 s (direct method: 7.5 s)");
    EXPECT_EQ(lines[18], "  Input log file: /data/logs/run1.log");
    EXPECT_EQ(lines[24], "   - image recording period: 0.50 s");
    EXPECT_EQ(lines[27], "   - maximum extracted timespan: 10.5 s (min. diversity: 10)");
    EXPECT_EQ(lines[33], "       and    t0 = 0.50 s.");
    EXPECT_EQ(lines[38], "   - tc : 6.15 s");
    // Each limit's percent sign appears once, in both lifetime blocks.
    EXPECT_EQ(Count(report, "(84% stability)"), 2u);
    EXPECT_EQ(Count(report, "(50% stability)"), 2u);
    EXPECT_EQ(Count(report, "(16% stability)"), 2u);
    EXPECT_EQ(Count(report, "%%"), 0u);
    EXPECT_EQ(Count(report, "\n"), Count(report, "\r\n"));
}

TEST(StabilityReport, ModelLifetimeAloneWhenDirectEvaluationReachedTheEnd) {
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_nLifetimeState = -2;
    series.m_dLifetime = 10.5; // the longest time span, as state -2 stores it
    const std::vector<std::string> lines = SplitCrLf(BuildStabilityReport(series));
    EXPECT_EQ(lines[5], "  Estimated lifetime: 60.0 s");
}

TEST(StabilityReport, ModelThatNeverReachesTheToleranceIsUnbounded) {
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_nModelLifetimeState = kModelLifetimeUnbounded;
    series.m_dModelLifetime = VLARGE * series.m_dPeriod;
    const std::vector<std::string> lines = SplitCrLf(BuildStabilityReport(series));
    EXPECT_EQ(lines[5], "  Estimated lifetime: unbounded (direct method: 7.5 s)");
    EXPECT_EQ(lines[45],
              "   - The model never reaches the tolerance: no lifetime can be confirmed.");
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("-0.0"), std::string::npos) << line;
}

TEST(StabilityReport, UnboundedLifetimesAreNamedNotPrinted) {
    // A decaying walk alone stays far below the tolerance for ever: every
    // lifetime except the model's own (state -2) is unbounded. A period above
    // 1000 s lets the unbounded time overflow to infinity in seconds.
    for (double dPeriod : {0.5, 5000.0}) {
        SCOPED_TRACE(dPeriod);
        CA1TimeSeries series = MakeEvaluatedSeries();
        series.m_dPeriod = dPeriod;
        series.m_dModelDi = 0.0;
        series.m_dModelS = 0.0;
        series.m_nModelLifetimeState = kModelLifetimeUnbounded;
        const std::vector<std::string> lines = SplitCrLf(BuildStabilityReport(series));
        ASSERT_GE(lines.size(), 43u);
        const std::vector<std::string> expected = {
            "   - lower limit  (84% stability): unbounded",
            "   - median limit (50% stability): unbounded",
            "   - upper limit  (16% stability): unbounded",
            "",
            "  Lifetime estimation based on the random-walk component only:",
            "   - mean lifetime                : unbounded",
            "   - lower limit  (84% stability): unbounded",
            "   - median limit (50% stability): unbounded",
            "   - upper limit  (16% stability): unbounded",
        };
        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (!expected[i].empty()) {
                EXPECT_EQ(lines[8 + i], expected[i]);
            }
        }
        for (const std::string& line : lines)
            EXPECT_LE(line.size(), 80u) << line;
    }
}

TEST(StabilityReport, DirectOnlyWarnsExactlyWhenTheLifetimeReachesTheRange) {
    const std::string inside = BuildStabilityReport(DirectOnly(7.5));
    ExpectMatchesGolden(inside, "report_direct_only.txt");
    const std::string atEnd = BuildStabilityReport(DirectOnly(10.5));
    ExpectMatchesGolden(atEnd, "report_direct_warning.txt");

    const std::string warning = "  Warning: Lifetime exceeds maximum extracted timespan.";
    const std::vector<std::string> insideLines = SplitCrLf(inside);
    const std::vector<std::string> endLines = SplitCrLf(atEnd);
    ASSERT_EQ(insideLines.size(), 21u);
    ASSERT_EQ(endLines.size(), 22u);
    EXPECT_EQ(insideLines[5], "  Estimated lifetime: 7.5 s (direct method)");
    EXPECT_EQ(std::count(insideLines.begin(), insideLines.end(), warning), 0);
    EXPECT_EQ(endLines[6], warning);
    EXPECT_EQ(Count(atEnd, "Best fitting"), 0u);
    EXPECT_EQ(Count(atEnd, "stability)"), 0u);
}

TEST(StabilityReport, NeedsCharacteristicFunctionRecords) {
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_nCFuncState = 0;
    series.m_nModelState = 0;
    EXPECT_EQ(BuildStabilityReport(series), " ");
    EXPECT_EQ(GetReportHeadline(series), "No evaluation data present.");

    CA1TimeSeries noRecords = MakeEvaluatedSeries();
    noRecords.m_CFuncData.clear();
    EXPECT_EQ(BuildStabilityReport(noRecords), " ");
    EXPECT_EQ(GetReportHeadline(noRecords), "No evaluation data present.");
}

TEST(StabilityReport, Headlines) {
    CA1TimeSeries series = MakeEvaluatedSeries();
    EXPECT_EQ(GetReportHeadline(series), "Results of the model-based evaluation method.");
    series.m_nModelState = 0;
    EXPECT_EQ(GetReportHeadline(series), "Results of the direct evaluation method.");
    EXPECT_EQ(GetLogTextHeadline(series), "Extracted from line #10 to line #16 (7 lines).");
    series.m_nFirstLine = INT32_MIN;
    series.m_nLastLine = INT32_MAX;
    EXPECT_EQ(GetLogTextHeadline(series),
              "Extracted from line #-2147483648 to line #2147483647 (4294967296 lines).");
}

TEST(StabilityReport, SavedAsTextFile) {
    TempDir dir;
    LogCapture capture(1);
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_pLog = capture.Log();
    const std::string path = dir.File("report.txt");
    ASSERT_TRUE(SaveStabilityReport(series, path));
    EXPECT_EQ(ReadFileBytes(path), BuildStabilityReport(series) + "\r\n");
    EXPECT_EQ(capture.Lines().back(),
              "DEBUG>  Successfully saved stability report to file [" + path + "].");

    series.m_nCFuncState = 0;
    EXPECT_FALSE(SaveStabilityReport(series, dir.File("none.txt")));
    EXPECT_EQ(ReadFileBytes(dir.File("none.txt")), "");
}

TEST(StabilityReport, RecordingWithoutTimeBaseNamesItsLifetimesUnknown) {
    CA1TimeSeries series = MakeEvaluatedSeries();
    series.m_dPeriod = 0.0;
    const std::string report = BuildStabilityReport(series);
    // The model lifetime, three probability and four random-walk lifetimes
    // and the longest time span of the characteristic function.
    EXPECT_EQ(Count(report, "time base unknown"), 9u) << report;
    EXPECT_EQ(Count(report, "0.0 s"), 0u) << report;
    EXPECT_EQ(Count(report, "Lifetime exceeds maximum extracted timespan"), 0u);
    EXPECT_NE(series.GetLifetimeText().find("time base unknown"), std::string::npos);
    EXPECT_NE(series.GetModelLifetimeText().find("time base unknown"), std::string::npos);
}
