#include "evaluation/SeriesEvaluation.h"
#include "data/CA1TimeSeries.h"
#include "evaluation/ModelLifetimeSearch.h"
#include "evaluation/ProbabilityModel.h"
#include "evaluation/StabilityModel.h"
#include "infra/CMainParameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

// Without a positive correlation time the decaying walk is gone: the model
// function, the lifetime search and the probability model all see the model
// without Da, and f(0) is 0 (not 0 * exp(-0/0)).
TEST(StabilityModel, OneModelFunctionWithoutCorrelationTime) {
    for (double tc : {0.0, -5.0}) {
        const ModelParameters model{0.5, 2.0, tc, 0.1};
        const ModelParameters withoutDa{0.5, 0.0, tc, 0.1};
        EXPECT_EQ(ModelFunction(model, 0.0), 0.0);
        for (double k : {1.0, 7.5, 1e4})
            EXPECT_EQ(ModelFunction(model, k), ModelFunction(withoutDa, k));
        EXPECT_DOUBLE_EQ(ModelFunction(model, 10.0), 1.0 + 5.0);
        EXPECT_EQ(SearchModelCrossing(model, 9.0).dSteps,
                  SearchModelCrossing(withoutDa, 9.0).dSteps);
        EXPECT_EQ(StabilityProbability(2.0, 8.0, model), StabilityProbability(2.0, 8.0, withoutDa));
    }
    const ModelParameters decaying{0.5, 2.0, 4.0, 0.1};
    EXPECT_DOUBLE_EQ(ModelFunction(decaying, 4.0), 0.16 + 8.0 * (0.25 + 4.0 * std::exp(-1.0)));
}

TEST(SeriesEvaluation, StatesAndStoredInputsFollowTheTriggers) {
    CA1TimeSeries series;
    EXPECT_FALSE(series.HasCharFunction());
    EXPECT_FALSE(series.HasModel());
    CMainParameters params;
    params.ElEnergykV = 200.0;
    params.TargetResAng = 2.0;
    params.LimitPhase = 0.5;
    const EVALUATIONINPUTS inputs = EvaluationInputsFrom(params);
    // no samples: no characteristic function, and nothing is stored
    EXPECT_FALSE(EvaluateCharFunctionAndLifetime(series, inputs));
    EXPECT_EQ(series.m_dElEnergy, 0.0);

    // a walk of 400 images with a steady drift of 0.01 nm per image
    series.m_dPeriod = 1.0;
    for (int i = 1; i <= 400; ++i)
        series.m_Samples.push_back(
            A1SAMPLE{i, 0.01 * i + 0.05 * std::sin(i * 0.7), 0.05 * std::cos(i * 1.3), 0.0, 0.0});
    ASSERT_TRUE(EvaluateSeries(series, inputs, false));
    EXPECT_TRUE(series.HasCharFunction());
    EXPECT_FALSE(series.HasModel());
    EXPECT_EQ(series.m_dElEnergy, 200.0);
    EXPECT_EQ(series.m_dTargetRes, 2.0);
    EXPECT_EQ(series.m_dLimitPhase, 0.5);
    const double tolerance = series.m_dTolerance;

    EXPECT_TRUE(FitModelAndLifetime(series, inputs, 1u));
    EXPECT_TRUE(series.HasModel());
    EXPECT_EQ(series.GetRandomWalkParameters()[3], 0.0);
    EXPECT_EQ(series.GetModelParameters()[3], series.m_dModelS);

    EVALUATIONINPUTS lower = inputs;
    lower.dEnergykV = 100.0;
    const ModelParameters fitted = series.GetModelParameters();
    RefreshLifetimes(series, lower);
    EXPECT_NE(series.m_dTolerance, tolerance);
    EXPECT_EQ(series.m_dElEnergy, 100.0);
    EXPECT_EQ(series.GetModelParameters(), fitted); // nothing refitted
}

TEST(MainParameters, SettingsRanges) {
    for (auto [value, inRange] : {std::pair{4, false}, {5, true}, {50000, true}, {50001, false}})
        EXPECT_EQ(IsMinDiversityInRange(value), inRange) << value;
    for (auto [value, clamped] : {std::pair{0.0001, 0.001},
                                  {5000.0, 1000.0},
                                  {0.3333, 0.3333},
                                  {0.0, 0.001},
                                  {std::nan(""), 0.001}})
        EXPECT_EQ(ClampLimitPhase(value), clamped) << value;
}

// A set abort flag stops the long steps before they change anything: the
// window's Cancel relies on it to end the work soon.
TEST(SeriesEvaluation, AbortLeavesTheSeriesAsItWas) {
    CA1TimeSeries series;
    series.m_dPeriod = 1.0;
    for (int i = 1; i <= 400; ++i)
        series.m_Samples.push_back(
            A1SAMPLE{i, 0.01 * i + 0.05 * std::sin(i * 0.7), 0.05 * std::cos(i * 1.3), 0.0, 0.0});
    const EVALUATIONINPUTS inputs;
    ASSERT_TRUE(EvaluateSeries(series, inputs, false, 1u));
    const AbortFlag abort{true};
    EVALUATIONPROGRESS progress;
    progress.pAbort = &abort;
    using Step = std::function<bool(CA1TimeSeries&)>;
    const Step steps[] = {
        [&](CA1TimeSeries& s) { return EvaluateCharFunctionAndLifetime(s, inputs, progress); },
        [&](CA1TimeSeries& s) { return FitModelAndLifetime(s, inputs, 1u, progress); },
    };
    for (const Step& step : steps) {
        CA1TimeSeries copy(series);
        copy.m_CFuncData.front().dX = 123.0; // would be overwritten by a new evaluation
        const std::vector<A1SAMPLE> function = copy.m_CFuncData;
        EXPECT_FALSE(step(copy));
        EXPECT_FALSE(copy.HasModel());
        ASSERT_EQ(copy.m_CFuncData.size(), function.size());
        EXPECT_EQ(copy.m_CFuncData.front().dX, 123.0);
    }
}
