#include "data/CA1TimeSeries.h"
#include "evaluation/AstigmatismTolerance.h"
#include "evaluation/ProbabilityModel.h"
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

// A fitted model f(k) = 2k Di^2 + s^2 k^2 (Da = 0), period 2 s.
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

TEST(ModelLifetime, BracketedCrossingAtEveryScale) {
    // Models without the decaying walk cross the squared tolerance where
    // 2k Di^2 + s^2 k^2 = a^2, which the quadratic formula gives
    // independently of the search: from far below one image step to a
    // million seconds.
    struct CASE {
        double di, s, tolerance, period;
    };
    const CASE cases[] = {
        {100.0, 0.0, 1.27, 1.0},  // 8.1e-5 image steps: below one step
        {1.0, 0.5, 3.0, 2.0},     // 3.2 image steps
        {0.0005, 0.0, 1.27, 1.0}, // 3.2e6 s
        {0.0, 1e-6, 1.27, 1.0},   // drift only, 1.27e6 s
        {2e-4, 3e-7, 1.27, 0.5},  // both, 1.2e6 image steps
    };
    for (const CASE& c : cases) {
        LogCapture log;
        CA1TimeSeries series = SeriesWithModel(log, c.di, c.s);
        series.m_dPeriod = c.period;
        const double a2 = c.tolerance * c.tolerance;
        const double di2 = c.di * c.di;
        const double expected = c.s == 0.0
                                    ? a2 / (2.0 * di2)
                                    : (std::sqrt(di2 * di2 + c.s * c.s * a2) - di2) / (c.s * c.s);
        const double steps = series.EvaluateModelLifetime(c.tolerance);
        EXPECT_NEAR(steps, expected, 1e-12 * expected) << c.di << ", " << c.s;
        EXPECT_EQ(series.m_dModelLifetime, c.period * steps);
        EXPECT_EQ(series.m_nModelLifetimeState, 1);
        // the lifetime lines, then the notes on the one-record test fit
        ASSERT_GE(log.Lines().size(), 3u);
        EXPECT_EQ(log.Lines()[2], FormatC("- Lifetime: %.1f s.", c.period * steps));
        // the random-walk part alone: 2k Di^2 = a^2, or unbounded without Di
        const double walk = series.GetRandomWalkLifetime(c.tolerance);
        if (c.di > 0.0)
            EXPECT_NEAR(walk, c.period * a2 / (2.0 * di2), 1e-12 * walk);
        else
            EXPECT_EQ(walk, c.period * VLARGE);
    }
}

TEST(ModelLifetime, FirstCrossingOfTheDecayingWalk) {
    // f(k) = 2k exp(-k/5) rises to 10/e = 3.68 at k = 5 and falls again: the
    // lifetime is the first crossing of 3, on the rise
    LogCapture log;
    CA1TimeSeries series = SeriesWithModel(log, 0.0, 0.0);
    series.m_dModelDa = 1.0;
    const double steps = series.EvaluateModelLifetime(std::sqrt(3.0));
    EXPECT_LT(steps, 5.0);
    EXPECT_NEAR(2.0 * steps * std::exp(-steps / 5.0), 3.0, 1e-12);
    EXPECT_EQ(series.GetModelLifetimeText(),
              FormatC("Estimated lifetime: %.1f s, Astigmatism tolerance: 0.000 nm", 2.0 * steps));
}

TEST(ModelLifetime, UnboundedWhenTheModelNeverReachesTheTolerance) {
    struct CASE {
        double di, da;
        const char* reason;
    };
    const CASE cases[] = {
        // the decaying walk alone never exceeds 3.68 nm^2
        {0.0, 1.0, "           for every time span: the lifetime is unbounded."},
        // a constant walk so weak that it crosses only beyond VLARGE steps
        {1e-154, 0.0, "           up to the largest time span the program can express."},
    };
    for (const CASE& c : cases) {
        LogCapture log;
        CA1TimeSeries series = SeriesWithModel(log, c.di, 0.0);
        series.m_dModelDa = c.da;
        series.m_dTolerance = 4.0;
        EXPECT_EQ(series.EvaluateModelLifetime(4.0), VLARGE);
        EXPECT_EQ(series.m_nModelLifetimeState, -2);
        EXPECT_EQ(series.m_dModelLifetime, 2.0 * VLARGE);
        const std::vector<std::string> expected = {
            "Warning: Lifetime could not be determined from the model function.",
            "         - The model stays below the squared astigmatism tolerance of 16.000 nm\u00B2",
            c.reason};
        ASSERT_GE(log.Lines().size(), 3u);
        EXPECT_EQ(std::vector<std::string>(log.Lines().begin(), log.Lines().begin() + 3), expected);
        EXPECT_EQ(series.GetModelLifetimeText(),
                  "Estimated lifetime: unbounded, Astigmatism tolerance: 4.000 nm");
        EXPECT_EQ(series.GetRandomWalkLifetime(4.0), 2.0 * VLARGE);
        // the direct evaluation leaves the model's lifetime alone
        series.EvaluateLifetime(4.0);
        EXPECT_EQ(series.m_nModelLifetimeState, -2);
    }
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
    ASSERT_GE(log.Lines().size(), 4u);
    EXPECT_EQ(log.Lines()[3].rfind("Warning: ", 0), 0u);
    EXPECT_EQ(series.GetRandomWalkLifetime(3.0), 0.0);
}
