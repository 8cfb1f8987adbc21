#include "evaluation/ProbabilityModel.h"
#include "data/CA1TimeSeries.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// Probabilities of the lower and upper lifetime limits.
constexpr double kLower = kUpperBandProbability;
constexpr double kUpper = kLowerBandProbability;
// Di, Da, tc (steps), s: a random walk with a decaying part and a small drift,
// and a drift-dominated model whose lifetime lies at a noncentrality near 600.
const ModelParameters kTypical{0.05, 0.1, 9.0, 0.002};
const ModelParameters kDriftDominated{0.01, 0.0, 9.0, 0.05};

double D2(double k, const ModelParameters& p) {
    return p[0] * p[0] + p[1] * p[1] * std::exp(-k / p[2]);
}

} // namespace

TEST(ProbabilityModel, BesselKnownValuesSignsAndExtremes) {
    EXPECT_DOUBLE_EQ(BesselI0(0.0), 1.0);
    EXPECT_EQ(BesselI(1, 0.0), 0.0);
    EXPECT_NEAR(BesselI(2, 1.0), 0.1357476697670383, 1e-7);
    EXPECT_NEAR(BesselI(3, -1.0), -0.0221684249243319, 1e-8);
    EXPECT_EQ(BesselI(-1, 2.0), 0.0);
    EXPECT_DOUBLE_EQ(BesselI(4, -7.0), BesselI(4, 7.0));
    EXPECT_DOUBLE_EQ(BesselI(1, -7.0), -BesselI(1, 7.0));
    // Beyond e^709 the function is still finite up to about 713.
    EXPECT_TRUE(std::isfinite(BesselI0(712.0)));
    EXPECT_TRUE(std::isfinite(BesselI(1, 712.0)));
    EXPECT_EQ(BesselI(2, 1e5), kInf);
    EXPECT_EQ(BesselI(3, -kInf), -kInf);
    EXPECT_EQ(BesselI(INT32_MAX, 1.0), 0.0); // at once, not after 2^32 recurrence steps
    EXPECT_TRUE(std::isnan(BesselI(2, kNaN)));
}

TEST(ProbabilityModel, BandProbabilitiesLieOneStandardDeviationFromTheMean) {
    const double belowMean = 0.5 * std::erfc(1.0 / std::sqrt(2.0));
    EXPECT_NEAR(kLowerBandProbability, belowMean, 5e-7);
    EXPECT_NEAR(kUpperBandProbability, 1.0 - belowMean, 5e-7);
    EXPECT_NEAR(kLowerBandProbability + kUpperBandProbability, 2.0 * kMedianProbability, 1e-15);
}

TEST(ProbabilityModel, CdfGuardsAndCentralCase) {
    for (double x : {1e-6, 0.3, 2.0, 17.0, 60.0}) {
        EXPECT_NEAR(NoncentralChi2Cdf(x, 0.0), 1.0 - std::exp(-x / 2.0), 1e-15);
        EXPECT_NEAR(NoncentralChi2Cdf(x, 0.9e-6), 1.0 - std::exp(-x / 2.0), 1e-15);
    }
    for (double lambda : {0.0, 1.0, 700.0, 1e12}) {
        EXPECT_EQ(NoncentralChi2Cdf(0.0, lambda), 0.0);
        EXPECT_EQ(NoncentralChi2Cdf(-3.0, lambda), 0.0);
        EXPECT_EQ(NoncentralChi2Cdf(kInf, lambda), 1.0);
        const double beyond = (std::sqrt(lambda) + 8.01) * (std::sqrt(lambda) + 8.01);
        EXPECT_GE(NoncentralChi2Cdf(beyond, lambda), 1.0 - 1e-13);
    }
    EXPECT_EQ(NoncentralChi2Cdf(5.0, kInf), 0.0);
    // Only the magnitude of the noncentrality counts.
    EXPECT_EQ(NoncentralChi2Cdf(5.0, -3.0), NoncentralChi2Cdf(5.0, 3.0));
    EXPECT_TRUE(std::isnan(NoncentralChi2Cdf(kNaN, 1.0)));
    EXPECT_TRUE(std::isnan(NoncentralChi2Cdf(1.0, kNaN)));
}

TEST(ProbabilityModel, CdfIsAProbabilityMonotoneInBothArguments) {
    auto grid = [](double from, double to, int n) {
        std::vector<double> values;
        for (int i = 0; i <= n; ++i)
            values.push_back(from * std::pow(to / from, double(i) / n));
        return values;
    };
    // The whole range, and the band of drift-dominated lifetimes in steps of 2.
    for (const auto& [xs, lambdas] :
         {std::pair{grid(1e-6, 1e5, 110), grid(1e-7, 1e4, 110)},
          std::pair{grid(600.0, 900.0, 150), grid(600.0, 900.0, 150)}}) {
        std::vector<double> previousRow(xs.size(), 1.0);
        for (double lambda : lambdas) {
            double previous = 0.0;
            for (std::size_t i = 0; i < xs.size(); ++i) {
                const double f = NoncentralChi2Cdf(xs[i], lambda);
                ASSERT_TRUE(f >= 0.0 && f <= 1.0) << xs[i] << ", " << lambda;
                ASSERT_GE(f, previous) << xs[i] << ", " << lambda;
                ASSERT_LE(f, previousRow[i]) << xs[i] << ", " << lambda;
                previous = previousRow[i] = f;
            }
        }
    }
}

TEST(ProbabilityModel, StabilityProbabilityFollowsTheModel) {
    EXPECT_EQ(StabilityProbability(1.0, 0.0, kTypical), 1.0);
    EXPECT_EQ(StabilityProbability(0.0, 5.0, kTypical), 0.0);
    EXPECT_EQ(StabilityProbability(1.0, 2.0 * VLARGE, kTypical), 0.0);
    const double k = 37.0;
    EXPECT_DOUBLE_EQ(
        StabilityProbability(1.6, k, kTypical),
        NoncentralChi2Cdf(1.6 / (D2(k, kTypical) * k), 0.002 * 0.002 * k / D2(k, kTypical)));
    double previous = 1.0;
    for (double steps = 1.0; steps < 1e5; steps *= 1.5) {
        const double p = StabilityProbability(1.6, steps, kTypical);
        EXPECT_LE(p, previous);
        previous = p;
    }
    EXPECT_LT(previous, 1e-6);
    // Without a random walk the drift alone decides: within a until s k = a.
    EXPECT_EQ(StabilityProbability(4.0, 10.0, {0.0, 0.0, 9.0, 0.1}), 1.0);
    EXPECT_EQ(StabilityProbability(4.0, 30.0, {0.0, 0.0, 9.0, 0.1}), 0.0);
    EXPECT_EQ(StabilityProbability(4.0, 1e6, {0.0, 0.0, 0.0, 0.0}), 1.0);
    // Without a positive tc the decaying walk is gone, as in the model
    // function that the fit and the diagrams use.
    EXPECT_EQ(StabilityProbability(4.0, 1e6, {0.1, 0.0, -5.0, 0.0}),
              StabilityProbability(4.0, 1e6, {0.1, 0.0, 5.0, 0.0}));
    EXPECT_EQ(StabilityProbability(4.0, 1e6, {0.1, 0.1, -5.0, 0.0}),
              StabilityProbability(4.0, 1e6, {0.1, 0.0, 5.0, 0.0}));
    EXPECT_TRUE(std::isnan(StabilityProbability(4.0, 10.0, {kNaN, 0.1, 9.0, 0.0})));
}

TEST(ProbabilityModel, QuantileInvertsTheProbability) {
    const ModelParameters noDrift{0.05, 0.1, 9.0, 0.0};
    const double k = 25.0;
    EXPECT_NEAR(SqrAmplitudeQuantile(k, 0.5, noDrift), 2.0 * std::log(2.0) * D2(k, noDrift) * k,
                1e-6 * D2(k, noDrift) * k);
    for (const auto& params : {kTypical, kDriftDominated}) {
        for (double p : {kUpper, 0.5, kLower}) {
            const double a2 = SqrAmplitudeQuantile(k, p, params);
            EXPECT_NEAR(StabilityProbability(a2, k, params), p, 2e-7);
        }
        EXPECT_LT(SqrAmplitudeQuantile(k, kUpper, params), SqrAmplitudeQuantile(k, kLower, params));
    }
    EXPECT_EQ(SqrAmplitudeQuantile(0.0, 0.5, kTypical), 0.0);
    EXPECT_EQ(SqrAmplitudeQuantile(k, 0.0, kTypical), 0.0);
    EXPECT_EQ(SqrAmplitudeQuantile(k, 1.0, kTypical), VLARGE);
    EXPECT_DOUBLE_EQ(SqrAmplitudeQuantile(k, 0.5, {0.0, 0.0, 9.0, 0.1}), 0.1 * 0.1 * k * k);
    EXPECT_EQ(SqrAmplitudeQuantile(k, 0.5, {0.0, 0.0, 0.0, 0.0}), 0.0);
}

TEST(ProbabilityModel, LifetimeInvertsTheProbabilityAndEndsForEveryModel) {
    const double a2 = 1.27 * 1.27;
    for (const auto& params : {kTypical, kDriftDominated}) {
        const double lower = ProbabilityLifetime(a2, kLower, params);
        const double median = ProbabilityLifetime(a2, 0.5, params);
        const double upper = ProbabilityLifetime(a2, kUpper, params);
        EXPECT_LT(lower, median);
        EXPECT_LT(median, upper);
        EXPECT_NEAR(StabilityProbability(a2, median, params), 0.5, 1e-6);
    }
    EXPECT_EQ(ProbabilityLifetime(a2, 0.0, kTypical), VLARGE);
    EXPECT_EQ(ProbabilityLifetime(a2, 1.0, kTypical), 0.0);
    EXPECT_EQ(ProbabilityLifetime(0.0, 0.5, kTypical), 0.0);
    // Models that never leave the tolerance: no motion at all, or a walk that
    // has decayed away.
    EXPECT_EQ(ProbabilityLifetime(a2, 0.5, {0.0, 0.0, 0.0, 0.0}), VLARGE);
    EXPECT_EQ(ProbabilityLifetime(a2, 0.5, {0.0, 0.1, 9.0, 0.0}), VLARGE);
    EXPECT_TRUE(std::isnan(ProbabilityLifetime(a2, 0.5, {kNaN, 0.1, 9.0, 0.0})));
}

TEST(ProbabilityModel, SeriesLifetimesInSeconds) {
    CA1TimeSeries series;
    series.m_dPeriod = 0.5;
    series.m_dModelDi = kTypical[0];
    series.m_dModelDa = kTypical[1];
    series.m_dModelTc = kTypical[2];
    series.m_dModelS = kTypical[3];
    series.m_nModelState = 1;
    EXPECT_EQ(series.GetProbabilityLifetime(1.27, 0.5), 0.0); // no characteristic function
    series.m_nCFuncState = 1;
    series.m_CFuncData.push_back(A1SAMPLE{1, 0.1, 0.1, 0.0, 0.0});
    EXPECT_DOUBLE_EQ(series.GetProbabilityLifetime(1.27, 0.5),
                     0.5 * ProbabilityLifetime(1.27 * 1.27, 0.5, kTypical));
    EXPECT_EQ(series.GetProbabilityLifetime(1.27, 1.2), 0.0);
    EXPECT_EQ(series.GetProbabilityLifetime(1.27, -0.1), VLARGE * 0.5);
    // Without the drift the amplitude stays within the tolerance longer.
    EXPECT_DOUBLE_EQ(series.GetRandomWalkProbabilityLifetime(1.27, 0.5),
                     0.5 * ProbabilityLifetime(1.27 * 1.27, 0.5, {0.05, 0.1, 9.0, 0.0}));
    EXPECT_GT(series.GetRandomWalkProbabilityLifetime(1.27, 0.5),
              series.GetProbabilityLifetime(1.27, 0.5));
    series.m_nModelState = 0;
    EXPECT_EQ(series.GetRandomWalkProbabilityLifetime(1.27, 0.5), 0.0);
}
