#include "data/CA1TimeSeries.h"
#include "evaluation/AstigmatismTolerance.h"
#include "evaluation/ModelLifetimeSearch.h"
#include "infra/CNumber.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Records (k, f) with f = 1, 2, 4, 3 at k = 1 to 4: the function dips after
// its maximum; period 2 s.
CA1TimeSeries SeriesWithRecords(LogCapture& log) {
    CA1TimeSeries series(log.Log());
    const double values[] = {1.0, 2.0, 4.0, 3.0};
    for (int k = 1; k <= 4; ++k)
        series.m_CFuncData.push_back(A1SAMPLE{k, values[k - 1] - 0.25, 0.25, 0.0, 0.0});
    series.m_nCFuncState = 1;
    series.m_dPeriod = 2.0;
    return series;
}

// A fitted model f(k) = 2k Di^2 + s^2 k^2 (Da = 0). The exact ends of the
// lifetime searches below were traced step by step in double arithmetic with
// a few lines of Python following the written search.
CA1TimeSeries SeriesWithModel(LogCapture& log, double di, double s) {
    CA1TimeSeries series(log.Log());
    series.m_CFuncData.push_back(A1SAMPLE{1, 1.0, 1.0, 0.0, 0.0});
    series.m_nCFuncState = 1;
    series.m_nModelState = 1;
    series.m_dModelDi = di;
    series.m_dModelDa = 0.0;
    series.m_dModelTc = 5.0;
    series.m_dModelS = s;
    series.m_dPeriod = 2.0;
    return series;
}

} // namespace

TEST(AstigmatismTolerance, ExampleAndInputsWithoutWavelength) {
    const double a = AstigmatismTolerance(300.0, 1.0, 0.25);
    EXPECT_EQ(FormatC("%.3f", a), "1.270");
    EXPECT_NEAR(a, 1.26984, 1e-5);
    EXPECT_TRUE(std::isinf(AstigmatismTolerance(0.0, 1.0, 0.25)));
    EXPECT_TRUE(std::isnan(AstigmatismTolerance(-5.0, 1.0, 0.0)));
}

TEST(DirectLifetime, EachStateWithItsMessagesAndText) {
    LogCapture log;
    CA1TimeSeries series = SeriesWithRecords(log);
    EXPECT_EQ(series.GetLifetimeText(), "No evaluation present.");

    series.EvaluateLifetime(0.5); // 0.25 nm^2, below every value
    EXPECT_EQ(series.m_nLifetimeState, -1);
    EXPECT_EQ(series.m_dLifetime, 2.0);
    EXPECT_EQ(series.m_dTolerance, 0.5);
    const std::vector<std::string> below = {
        "Warning: Lifetime could not be determined from the characteristic function.",
        "         - The squared astigmatism tolerance of 0.250 nm\u00B2 is smaller than",
        "           the smallest value of the characteristic function (1.000 nm\u00B2).",
        "         - Try to record the series with a significantly higher acquisition rate."};
    EXPECT_EQ(log.Lines(), below);
    EXPECT_EQ(series.GetLifetimeText(),
              "Estimated lifetime is below the shortest timespan (2.0 s). "
              "Astigmatism tolerance: 0.500 nm");

    log.Clear();
    series.EvaluateLifetime(3.0); // 9 nm^2, above every value
    EXPECT_EQ(series.m_nLifetimeState, -2);
    EXPECT_EQ(series.m_dLifetime, 8.0);
    const std::vector<std::string> above = {
        "Warning: Lifetime could not be determined from the characteristic function.",
        "         - The squared astigmatism tolerance of 9.000 nm\u00B2 is larger than",
        "           the largest value of the characteristic function (4.000 nm\u00B2).",
        "         - Try to record the series over a significantly longer time.",
        "         - Evaluate the lifetime by extrapolation with a model function."};
    EXPECT_EQ(log.Lines(), above);
    EXPECT_EQ(series.GetLifetimeText(), "Estimated lifetime is above the longest timespan (8.0 s). "
                                        "Astigmatism tolerance: 3.000 nm");

    log.Clear();
    series.EvaluateLifetime(1.9); // 3.61 nm^2: first reached at k = 3, before the dip to 3
    EXPECT_EQ(series.m_nLifetimeState, 1);
    EXPECT_EQ(series.m_dLifetime, 6.0);
    const std::vector<std::string> found = {
        "Lifetime evaluation directly from the characteristic function:",
        "- Astigmatism tolerance: 1.900 nm.", "- Lifetime: 6.0 s."};
    EXPECT_EQ(log.Lines(), found);
    EXPECT_EQ(series.GetLifetimeText(),
              "Estimated lifetime: 6.0 s, Astigmatism tolerance: 1.900 nm");

    // the edges of the range belong to it
    series.EvaluateLifetime(1.0);
    EXPECT_EQ(series.m_nLifetimeState, 1);
    EXPECT_EQ(series.m_dLifetime, 2.0);
    series.EvaluateLifetime(2.0);
    EXPECT_EQ(series.m_nLifetimeState, 1);
    EXPECT_EQ(series.m_dLifetime, 6.0);

    log.Clear();
    series.m_CFuncData.resize(1);
    series.EvaluateLifetime(1.0);
    EXPECT_EQ(series.m_nLifetimeState, -3);
    EXPECT_EQ(series.m_dLifetime, 0.0);
    EXPECT_EQ(series.m_dTolerance, 1.0);
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{"ERROR: Lifetime evaluation failed. Missing data of the "
                                       "characteristic function."});
    EXPECT_EQ(series.GetLifetimeText(), "Error during evaluation.");
    series.m_nLifetimeState = 7;
    EXPECT_EQ(series.GetLifetimeText(), "Unknown state.");
}

TEST(DirectLifetime, InvalidTolerancesAreRejected) {
    LogCapture log;
    const double invalid[] = {AstigmatismTolerance(0.0, 1.0, 0.25),  // energy 0: infinite
                              AstigmatismTolerance(-1.0, 1.0, 0.0),  // not a number
                              AstigmatismTolerance(300.0, 1.0, 0.0), // phase 0: tolerance 0
                              -1.0};
    for (double tolerance : invalid) {
        log.Clear();
        CA1TimeSeries series = SeriesWithRecords(log);
        series.m_nModelState = 1;
        series.m_dModelDi = 1.0;
        series.m_dModelTc = 5.0;
        series.EvaluateLifetime(tolerance);
        EXPECT_EQ(series.m_nLifetimeState, -3);
        EXPECT_EQ(series.m_dTolerance, 0.0);
        EXPECT_EQ(series.m_dLifetime, 0.0);
        EXPECT_EQ(series.GetLifetimeText(), "Error during evaluation.");

        EXPECT_EQ(series.EvaluateModelLifetime(tolerance), 0.0);
        EXPECT_EQ(series.m_dModelLifetime, 0.0);
        EXPECT_EQ(series.m_nModelLifetimeState, -3);
        EXPECT_EQ(series.GetModelLifetimeText(), "Error during evaluation.");
        EXPECT_EQ(series.GetRandomWalkLifetime(tolerance), 0.0);
        ASSERT_EQ(log.Lines().size(), 2u);
        EXPECT_EQ(log.Lines()[0].rfind("ERROR: ", 0), 0u);
        EXPECT_EQ(log.Lines()[1].rfind("ERROR: ", 0), 0u);
    }
}

TEST(ModelLifetime, SearchesFromTheDirectLifetime) {
    LogCapture log;
    CA1TimeSeries series = SeriesWithModel(log, 1.0, 0.0); // f(k) = 2k
    EXPECT_EQ(series.GetModelLifetimeText(),
              "Estimated lifetime: 0.0 s, Astigmatism tolerance: 0.000 nm");
    series.m_dTolerance = 3.0;
    series.m_dLifetime = 6.0; // 3 image steps; 2k = 9 at k = 4.5
    const double steps = series.EvaluateModelLifetime(3.0);
    // whole steps up to 5, then back and forth with 0.1, 0.01 and 0.001 until
    // the fourth reduction of the step ends the walk
    EXPECT_EQ(steps, 4.5009999999999915);
    EXPECT_EQ(series.m_dModelLifetime, 2.0 * steps);
    EXPECT_EQ(series.m_nModelLifetimeState, 1);
    const std::vector<std::string> expected = {
        "Lifetime evaluation from the model function:", "- Astigmatism tolerance: 3.000 nm.",
        "- Lifetime: 9.0 s."};
    EXPECT_EQ(log.Lines(), expected);
    EXPECT_EQ(series.GetModelLifetimeText(),
              "Estimated lifetime: 9.0 s, Astigmatism tolerance: 3.000 nm");

    // from above the crossing the walk goes down
    series.m_dLifetime = 40.0;
    EXPECT_EQ(series.EvaluateModelLifetime(3.0), 4.4990000000000085);

    // a model value equal to the squared tolerance at the start ends at once
    series.m_dLifetime = 4.0;
    EXPECT_EQ(series.EvaluateModelLifetime(2.0), 2.0);
    EXPECT_EQ(series.m_dModelLifetime, 4.0);

    log.Clear();
    series.m_nModelState = 0;
    EXPECT_EQ(series.EvaluateModelLifetime(3.0), 0.0);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(series.GetModelLifetimeText(), "No evaluation present.");
    series.m_nModelState = 2;
    EXPECT_EQ(series.GetModelLifetimeText(), "Unknown state.");
}

TEST(ModelLifetime, SearchGivesUpWhenTheModelNeverReachesTheTolerance) {
    // only the decaying walk: f(k) = 2k exp(-k/5) never exceeds 10/e = 3.68
    LogCapture log;
    CA1TimeSeries series = SeriesWithModel(log, 0.0, 0.0);
    series.m_dModelDa = 1.0;
    series.m_dTolerance = 4.0;
    series.m_dLifetime = 10.0;
    const double steps = series.EvaluateModelLifetime(4.0);
    EXPECT_EQ(series.m_nModelLifetimeState, -2);
    EXPECT_DOUBLE_EQ(steps, 5.0 + kMaxModelSearchSteps);
    EXPECT_DOUBLE_EQ(series.m_dModelLifetime, 2.0 * steps);
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[0], "Warning: Lifetime could not be determined from the model function.");
    EXPECT_EQ(log.Lines()[1], "         - The model stays below the squared astigmatism tolerance "
                              "of 16.000 nm\u00B2");
    EXPECT_EQ(log.Lines()[2], "           up to the end of the search at 2000010.0 s.");
    EXPECT_EQ(series.GetModelLifetimeText(),
              "Estimated lifetime is above the search range of the model (2000010.0 s). "
              "Astigmatism tolerance: 4.000 nm");
    // the same model without drift: an unbounded time
    EXPECT_DOUBLE_EQ(series.GetRandomWalkLifetime(4.0), 2.0 * 1.7976931348623156e+305);

    // the direct evaluation leaves the model's lifetime alone
    series.EvaluateLifetime(4.0);
    EXPECT_EQ(series.m_nModelLifetimeState, -2);
}

TEST(ModelLifetime, PeriodZeroKeepsEverySearchDefined) {
    LogCapture log;
    CA1TimeSeries series = SeriesWithModel(log, 1.0, 0.0);
    series.m_dPeriod = 0.0;
    series.m_CFuncData = {A1SAMPLE{1, 1.0, 0.0, 0.0, 0.0}, A1SAMPLE{2, 5.0, 0.0, 0.0, 0.0}};
    series.EvaluateLifetime(2.0);
    EXPECT_EQ(series.m_nLifetimeState, 1);
    EXPECT_EQ(series.m_dLifetime, 0.0);

    log.Clear();
    EXPECT_NEAR(series.EvaluateModelLifetime(3.0), 4.5, 1e-3); // image steps from distance 0
    EXPECT_EQ(series.m_dModelLifetime, 0.0);
    EXPECT_EQ(series.m_nModelLifetimeState, 1);
    ASSERT_EQ(log.Lines().size(), 4u);
    EXPECT_EQ(log.Lines()[3].rfind("Warning: ", 0), 0u);
    EXPECT_EQ(series.GetRandomWalkLifetime(3.0), 0.0);
}

TEST(RandomWalkLifetime, ModelWithoutItsDrift) {
    LogCapture log;
    CA1TimeSeries series = SeriesWithModel(log, 1.0, 0.5);
    series.m_dLifetime = 2.0;
    // with drift: 2k + k^2 / 4 = 9 at k = -4 + sqrt(52)
    EXPECT_NEAR(series.EvaluateModelLifetime(3.0), std::sqrt(52.0) - 4.0, 0.01);
    EXPECT_EQ(series.m_dModelLifetime, 2.0 * 3.2109999999999976);
    log.Clear();
    // without: 2k = 9 at k = 4.5, searched from the model lifetime; nothing
    // is logged or stored
    const double modelLifetime = series.m_dModelLifetime;
    // the walk stops right after its fourth reduction of the step, with an
    // error of up to one step of the size before: 0.01 image steps
    EXPECT_NEAR(series.GetRandomWalkLifetime(3.0), 2.0 * 4.5, 2.0 * 0.01);
    EXPECT_EQ(series.GetRandomWalkLifetime(3.0), 8.983999999999988);
    EXPECT_EQ(series.m_dModelLifetime, modelLifetime);
    EXPECT_TRUE(log.Lines().empty());
    series.m_nModelState = 0;
    EXPECT_EQ(series.GetRandomWalkLifetime(3.0), 0.0);
}
