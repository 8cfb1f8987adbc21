#include "data/CA1TimeSeries.h"
#include "evaluation/CFitModule.h"
#include "evaluation/CFitRandom.h"
#include "evaluation/StabilityModel.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double Model(double k, const double (&params)[4]) {
    const std::int32_t n = 4;
    return StabilityModelValue(&k, &n, params);
}

// A series with an evaluated characteristic function of `records` distances
// whose values the model with `params` gives exactly.
CA1TimeSeries SeriesFromModel(const double (&params)[4], int records, double slope) {
    CA1TimeSeries series;
    series.m_Samples.resize(1000);
    for (int k = 1; k <= records; ++k)
        series.m_CFuncData.push_back(A1SAMPLE{k, Model(k, params), 0.0, 0.0, 0.0});
    series.m_nCFuncState = 1;
    series.m_dCFuncSlope = slope;
    return series;
}

} // namespace

TEST(FitRandom, GeneratorAndClockSeed) {
    CFitRandom random(1);
    const std::int32_t expected[] = {41, 18467, 6334, 26500, 19169};
    for (std::int32_t value : expected)
        EXPECT_EQ(random.Next(), value);
    EXPECT_DOUBLE_EQ(CFitRandom(1).NextFraction(), 41.0 / 32768.0);

    std::tm utc{};
    utc.tm_year = 2021 - 1900;
    utc.tm_mon = 0;
    utc.tm_mday = 6;
    utc.tm_hour = 12;
    utc.tm_min = 34;
    utc.tm_sec = 56;
    // 66066932336 wrapped to 32 bits
    EXPECT_EQ(FitSeedFromUtc(utc), 1642422896u);
}

TEST(ModelFit, NeedsAnEvaluatedFunctionWithSixteenRecords) {
    LogCapture log;
    const double params[4] = {0.5, 1.0, 6.0, 0.05};
    CA1TimeSeries series = SeriesFromModel(params, 15, 2.5);
    series.m_pLog = log.Log();
    series.m_nCFuncState = 0;
    series.FitModel(1);
    series.m_nCFuncState = 1;
    series.FitModel(1);
    const std::vector<std::string> expected = {
        "ERROR: Model fit aborted: No evaluated characteristic function data.",
        "ERROR: Model fit aborted: Insufficient number of characteristic function data."};
    EXPECT_EQ(log.Lines(), expected);
    EXPECT_EQ(series.m_nModelState, 0);

    log.Clear();
    series = SeriesFromModel(params, 16, 2.5);
    series.m_pLog = log.Log();
    series.FitModel(1);
    EXPECT_EQ(series.m_nModelState, 1);
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[0], "Fitting model to the characteristic function ...");
    EXPECT_EQ(log.Lines()[1].rfind("- fit result: Di = ", 0), 0u);
}

TEST(ModelFit, RecoversTheGeneratingParameters) {
    LogCapture log;
    const double params[4] = {0.5, 1.0, 6.0, 0.05};
    CA1TimeSeries series = SeriesFromModel(params, 40, 2.5);
    series.m_pLog = log.Log();
    series.m_dPeriod = 0.5;
    series.m_nModelLifetimeState = kModelLifetimeUnbounded; // of an earlier model
    series.FitModel(20210106);
    ASSERT_EQ(series.m_nModelState, 1);
    EXPECT_EQ(series.m_nModelLifetimeState, 0);
    EXPECT_NEAR(series.m_dModelDi, 0.5, 1e-6);
    EXPECT_NEAR(series.m_dModelDa, 1.0, 1e-6);
    EXPECT_NEAR(series.m_dModelTc, 6.0, 1e-5); // image steps, not seconds
    EXPECT_NEAR(series.m_dModelS, 0.05, 1e-7);
    EXPECT_LT(series.m_dModelSSqr, 1e-12);
    // tc in seconds in the result line
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Lines()[1].substr(0, 59),
              "- fit result: Di = 0.5 nm, Da = 1 nm, tc = 3 s, s = 0.05 nm");
}

TEST(ModelFit, FixedSeedGivesTheSameResultTwice) {
    // no parameter set reproduces these values, so every restart matters
    CA1TimeSeries first;
    first.m_Samples.resize(500);
    for (int k = 1; k <= 30; ++k) {
        const double wobble = (k % 3 == 0 ? 0.3 : -0.2) + 0.01 * k * k;
        first.m_CFuncData.push_back(A1SAMPLE{k, 0.8 * k + wobble, 0.1 * k, 0.05 * k, 0.0});
    }
    first.m_nCFuncState = 1;
    first.m_dCFuncSlope = 0.9;
    CA1TimeSeries second = first;
    first.FitModel(777);
    // the progress, reported at the start and between the pairs of
    // minimisations, does not change the result
    std::vector<double> reported;
    second.FitModel(777, [&reported](double done) { reported.push_back(done); });
    ASSERT_EQ(first.m_nModelState, 1);
    ASSERT_FALSE(reported.empty());
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_EQ(reported.front(), 0.0); // the start
    EXPECT_GT(reported.back(), 0.0);
    EXPECT_LE(reported.back(), 1.0);
    EXPECT_EQ(first.m_dModelDi, second.m_dModelDi);
    EXPECT_EQ(first.m_dModelDa, second.m_dModelDa);
    EXPECT_EQ(first.m_dModelTc, second.m_dModelTc);
    EXPECT_EQ(first.m_dModelS, second.m_dModelS);
    EXPECT_EQ(first.m_dModelSSqr, second.m_dModelSSqr);
    EXPECT_GT(first.m_dModelSSqr, 0.0);
}

TEST(ModelFit, AnExactFirstResultIsKept) {
    // Records that the start values reproduce exactly. With 20 distances and
    // an initial slope equal to 0.45 fmax / 20 the start values are
    // Di = sqrt(0.45 fmax / 20), Da = 0, tc = 9, s = sqrt(0.1 fmax) / 20, and
    // the largest value of that model, at k = 20, is fmax again; iterate
    // until that holds to the last bit.
    double fmax = 20.0;
    double start[4] = {};
    for (int round = 0; round < 100; ++round) {
        const double g = 0.45 * fmax / 20.0;
        start[0] = std::sqrt(g);
        start[1] = 0.0;
        start[2] = 9.0;
        start[3] = std::sqrt(0.1 * fmax) / 20.0;
        const double next = Model(20.0, start);
        if (next == fmax)
            break;
        fmax = next;
    }
    CA1TimeSeries series = SeriesFromModel(start, 20, 0.45 * fmax / 20.0);
    ASSERT_EQ(series.m_CFuncData.back().dX, fmax);

    series.FitModel(4242);
    ASSERT_EQ(series.m_nModelState, 1);
    // later restarts end at small but nonzero s-squares; none may replace the
    // exact fit
    EXPECT_EQ(series.m_dModelDi, start[0]);
    EXPECT_EQ(series.m_dModelDa, 0.0);
    EXPECT_EQ(series.m_dModelTc, 9.0);
    EXPECT_EQ(series.m_dModelS, start[3]);
    EXPECT_EQ(series.m_dModelSSqr, 0.0);
}

TEST(ModelFit, NegativeInitialSlopeStillFits) {
    const double params[4] = {0.5, 1.0, 6.0, 0.05};
    CA1TimeSeries series = SeriesFromModel(params, 40, -2.5);
    series.FitModel(99);
    ASSERT_EQ(series.m_nModelState, 1);
    EXPECT_FALSE(std::isnan(series.m_dModelDa));
    EXPECT_LT(series.m_dModelSSqr, 1e-8);
}

TEST(ModelFit, PeriodZeroStillFitsInImageSteps) {
    const double params[4] = {0.5, 1.0, 6.0, 0.05};
    CA1TimeSeries series = SeriesFromModel(params, 40, 2.5);
    series.m_dPeriod = 0.0;
    series.FitModel(5);
    ASSERT_EQ(series.m_nModelState, 1);
    EXPECT_NEAR(series.m_dModelTc, 6.0, 1e-4);
}

TEST(ModelFit, TheSummarySaysWhatTheFitDid) {
    const double params[4] = {0.5, 1.0, 6.0, 0.05};
    struct Case {
        int nRecords;
        std::int32_t nCFuncState;
        bool bFitted;
    };
    const Case cases[] = {{40, 0, false}, {15, 1, false}, {16, 1, true}, {40, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nRecords << " records, state " << c.nCFuncState);
        CA1TimeSeries series = SeriesFromModel(params, c.nRecords, 2.5);
        series.m_nCFuncState = c.nCFuncState;
        CA1TimeSeries again = series;
        const MODELFITSUMMARY summary = series.FitModel(5);
        EXPECT_EQ(summary.bFitted, c.bFitted);
        EXPECT_EQ(series.m_nModelState, c.bFitted ? 1 : 0);
        if (!c.bFitted) {
            EXPECT_EQ(summary.nMinimisations, 0u);
            EXPECT_EQ(summary.stop, FitStop::NotRun);
            continue;
        }
        EXPECT_GE(summary.nMinimisations, 1u);
        EXPECT_LE(summary.nMinimisations, 20u);
        EXPECT_GT(summary.nIterations, 0);
        // the restarts end early only on their sixth improvement
        EXPECT_EQ(summary.stop == FitStop::EnoughImprovements, summary.nImprovements > 5);
        if (summary.stop == FitStop::AllStarts) {
            EXPECT_EQ(summary.nMinimisations, 20u);
        }
        EXPECT_EQ(summary.dSSquare, series.m_dModelSSqr);
        const MODELFITSUMMARY repeated = again.FitModel(5);
        EXPECT_EQ(repeated.nMinimisations, summary.nMinimisations);
        EXPECT_EQ(repeated.nIterations, summary.nIterations);
    }
}
