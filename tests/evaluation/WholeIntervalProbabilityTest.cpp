#include "evaluation/WholeIntervalProbability.h"
#include "evaluation/ProbabilityModel.h"
#include "support/DiscSurvival.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A pure walk leaves the disc as the closed form says: within 0.005 at
// every grid point, time-step bias and sampling error together.
TEST(WholeIntervalProbability, PureWalkFollowsTheClosedFormOfTheDisc) {
    const double a = 1.0, di = 0.1;
    const double kEnd = 2.0 * a * a / (di * di); // D t / a^2 up to 1
    WHOLEINTERVALSETTINGS settings;
    settings.nPaths = 1 << 17;
    const WHOLEINTERVALCURVE curve = EvaluateWholeIntervalCurve(a, kEnd, {di, 0, 0, 0}, settings);
    ASSERT_TRUE(curve.bValid) << curve.strProblem;
    for (std::size_t j = 0; j < curve.steps.size(); ++j) {
        const double tau = di * di * curve.steps[j] / (2.0 * a * a);
        EXPECT_NEAR(curve.probability[j], DiscSurvival(tau), 0.005) << "at k = " << curve.steps[j];
    }
    EXPECT_LE(curve.LargestStandardError(), 0.0015);
}

// Starting at 1, never rising, never above P(a, k), for walks with and
// without drift and a decaying part, and a path that is a straight line.
TEST(WholeIntervalProbability, StaysBelowTheEndPointProbabilityAndNeverRises) {
    struct Case {
        const char* name;
        ModelParameters params;
    };
    const Case cases[] = {
        {"walk", {0.1, 0, 0, 0}},
        {"walk with drift", {0.1, 0, 0, 0.01}},
        {"walk with strong drift", {0.05, 0, 0, 0.05}},
        {"drift alone", {0, 0, 0, 0.02}},
        {"walk with drift and a decaying part", {0.08, 0.05, 12.3, 0.004}},
    };
    for (const Case& c : cases) {
        WHOLEINTERVALSETTINGS settings;
        settings.nPaths = 2048;
        settings.nIntervals = 100;
        const WHOLEINTERVALCURVE curve = EvaluateWholeIntervalCurve(1.0, 150.0, c.params, settings);
        ASSERT_TRUE(curve.bValid) << c.name;
        EXPECT_EQ(curve.probability.front(), 1.0) << c.name;
        for (std::size_t j = 1; j < curve.steps.size(); ++j) {
            EXPECT_LE(curve.probability[j], curve.probability[j - 1]) << c.name << " " << j;
            EXPECT_LE(curve.probability[j], StabilityProbability(1.0, curve.steps[j], c.params))
                << c.name << " " << j;
        }
        EXPECT_LT(curve.probability.back(), 0.5) << c.name;
    }
}

TEST(WholeIntervalProbability, TheSameSeedGivesTheSameBitsOnAnyNumberOfThreads) {
    const ModelParameters model{0.1, 0, 0, 0.01};
    WHOLEINTERVALSETTINGS settings;
    settings.nPaths = 3000; // not a whole number of jobs
    settings.nIntervals = 50;
    settings.nSeed = 7;
    settings.nThreads = 1;
    const WHOLEINTERVALCURVE one = EvaluateWholeIntervalCurve(1.0, 100.0, model, settings);
    settings.nThreads = 2;
    const WHOLEINTERVALCURVE two = EvaluateWholeIntervalCurve(1.0, 100.0, model, settings);
    EXPECT_EQ(one.probability, two.probability);
    EXPECT_EQ(one.standardError, two.standardError);
    settings.nSeed = 8;
    EXPECT_NE(EvaluateWholeIntervalCurve(1.0, 100.0, model, settings).probability, one.probability);
}

TEST(WholeIntervalProbability, UnusableInputsGiveNoCurveAndSayWhy) {
    struct Case {
        double a;
        double kEnd;
        ModelParameters params;
        std::int32_t nPaths;
        const char* problem;
    };
    const Case cases[] = {
        {0.0, 10.0, {0.1, 0, 0, 0}, 100, "tolerance"},
        {kNaN, 10.0, {0.1, 0, 0, 0}, 100, "tolerance"},
        {1.0, -1.0, {0.1, 0, 0, 0}, 100, "time span"},
        {1.0, 10.0, {kNaN, 0, 0, 0}, 100, "not a number"},
        {1.0, 10.0, {0.1, 0, 0, 0}, 1, "number of paths"},
        // Without a walk the decaying part's f falls back: no process has it.
        {1.0, 100.0, {0.0, 0.2, 5.0, 0}, 100, "no valid random process"},
    };
    for (const Case& c : cases) {
        WHOLEINTERVALSETTINGS settings;
        settings.nPaths = c.nPaths;
        const WHOLEINTERVALCURVE curve =
            EvaluateWholeIntervalCurve(c.a, c.kEnd, c.params, settings);
        EXPECT_FALSE(curve.bValid);
        EXPECT_NE(curve.strProblem.find(c.problem), std::string::npos) << curve.strProblem;
        EXPECT_TRUE(std::isnan(curve.At(1.0)));
        EXPECT_TRUE(std::isnan(curve.Lifetime(0.5)));
    }
}

TEST(WholeIntervalProbability, LifetimesInterpolateWhereTheCurveCrossesTheLevel) {
    WHOLEINTERVALCURVE curve;
    curve.bValid = true;
    curve.steps = {0, 10, 20};
    curve.probability = {1.0, 0.6, 0.2};
    curve.standardError = {0, 0.01, 0.02};
    EXPECT_DOUBLE_EQ(curve.Lifetime(0.8), 5.0);
    EXPECT_DOUBLE_EQ(curve.Lifetime(0.2), 20.0);
    EXPECT_TRUE(std::isnan(curve.Lifetime(0.1)));
    EXPECT_DOUBLE_EQ(curve.At(15.0), 0.4);
    EXPECT_TRUE(std::isnan(curve.At(25.0)));
    EXPECT_DOUBLE_EQ(curve.LargestStandardError(), 0.02);
}

} // namespace
