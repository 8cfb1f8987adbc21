#include "evaluation/BootstrapConfidence.h"
#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/ModelPathGenerator.h"
#include "evaluation/SeriesEvaluation.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// A simulated recording, evaluated as tessaric-cli evaluates it by default
// (300 keV, 1 A, 0.25 pi).
CA1TimeSeries EvaluatedSimulation(const SIMULATIONSETTINGS& settings) {
    CA1TimeSeries series = SimulatedSeries(settings);
    EvaluateSeries(series, EVALUATIONINPUTS{}, true, 7);
    return series;
}

SIMULATIONSETTINGS Walk(double dDi, double dDrift, double dNoise) {
    SIMULATIONSETTINGS settings;
    settings.nImages = 300;
    settings.dDi = dDi;
    settings.dDrift = dDrift;
    settings.dNoise = dNoise;
    settings.nSeed = 16;
    return settings;
}

CONFIDENCERESULT Confidence(const CA1TimeSeries& series, std::int32_t replicates,
                            std::uint32_t threads, std::uint32_t seed = 5) {
    CONFIDENCESETTINGS settings;
    settings.nReplicates = replicates;
    settings.nThreads = threads;
    settings.nSeed = seed;
    return EvaluateConfidence(series, settings);
}

bool SameBits(const CONFIDENCERESULT& a, const CONFIDENCERESULT& b) {
    if (a.replicates.size() != b.replicates.size() || a.nFailed != b.nFailed)
        return false;
    for (std::size_t i = 0; i < a.replicates.size(); ++i)
        if (a.replicates[i].bFailed != b.replicates[i].bFailed ||
            std::memcmp(a.replicates[i].values.data(), b.replicates[i].values.data(),
                        sizeof(ConfidenceValues)) != 0)
            return false;
    return std::memcmp(a.intervals.data(), b.intervals.data(), sizeof(a.intervals)) == 0;
}

} // namespace

// The recording has a gap (image 101 missing), which every replicate keeps.
TEST(BootstrapConfidence, SameSeedSameBitsWhateverTheThreads) {
    CA1TimeSeries series = SimulatedSeries(Walk(0.05, 0.002, 0.1));
    series.m_Samples.erase(series.m_Samples.begin() + 100);
    ASSERT_TRUE(EvaluateSeries(series, EVALUATIONINPUTS{}, true, 7) && series.HasModel());
    std::int32_t lastProgress = 0;
    CONFIDENCESETTINGS settings;
    settings.nReplicates = 12;
    settings.nThreads = 1;
    settings.nSeed = 5;
    settings.progress = [&](std::int32_t done, std::int32_t total) {
        EXPECT_EQ(done, lastProgress + 1);
        EXPECT_EQ(total, 12);
        lastProgress = done;
    };
    const CONFIDENCERESULT one = EvaluateConfidence(series, settings);
    EXPECT_EQ(lastProgress, 12);
    const CONFIDENCERESULT again = Confidence(series, 12, 1);
    const CONFIDENCERESULT two = Confidence(series, 12, 2);
    const CONFIDENCERESULT other = Confidence(series, 12, 2, 6);
    ASSERT_TRUE(one.bValid);
    EXPECT_EQ(one.nFailed, 0);
    EXPECT_TRUE(SameBits(one, again));
    EXPECT_TRUE(SameBits(one, two));
    EXPECT_FALSE(SameBits(one, other));
}

// With a long clean walk the interval is narrow and still holds the truth
// and the recording's own estimate; a drift-only series that the model
// describes exactly leaves the replicates only the small random walk that
// the fit lends it, and the intervals shrink onto the estimate (a few
// percent, where the walk's are wider than the estimate itself).
TEST(BootstrapConfidence, IntervalsHoldTheTruthAndShrinkWithoutRandomness) {
    const CA1TimeSeries walk = EvaluatedSimulation(Walk(0.05, 0.0, 0.0));
    const CONFIDENCERESULT result = Confidence(walk, 20, 0);
    ASSERT_TRUE(result.bValid);
    const CONFIDENCEINTERVAL& di = result.intervals[kConfidenceDi];
    EXPECT_LE(di.dLower, 0.05);
    EXPECT_GE(di.dUpper, 0.05);
    for (const CONFIDENCEINTERVAL& interval : result.intervals)
        EXPECT_LE(interval.dLower, interval.dUpper);
    EXPECT_LE(di.dLower, di.dEstimate);
    EXPECT_GE(di.dUpper, di.dEstimate);
    const CONFIDENCEINTERVAL& lifetime = result.intervals[kConfidenceModelLifetime];
    EXPECT_GT(lifetime.dUpper - lifetime.dLower, 0.2 * lifetime.dEstimate);

    const CA1TimeSeries drift = EvaluatedSimulation(Walk(0.0, 0.01, 0.0));
    const CONFIDENCERESULT exact = Confidence(drift, 6, 0);
    ASSERT_TRUE(exact.bValid);
    for (std::size_t q : {kConfidenceS, kConfidenceModelLifetime, kConfidenceMedianLimit}) {
        const CONFIDENCEINTERVAL& interval = exact.intervals[q];
        EXPECT_NEAR(interval.dLower, interval.dEstimate, 0.05 * interval.dEstimate) << q;
        EXPECT_NEAR(interval.dUpper, interval.dEstimate, 0.05 * interval.dEstimate) << q;
    }
}

// A model whose walk overflows gives replicates without numbers: each is
// counted, none enters an interval.
TEST(BootstrapConfidence, FailedReplicatesAreCountedNotHidden) {
    LogCapture log;
    CA1TimeSeries series = EvaluatedSimulation(Walk(0.05, 0.0, 0.0));
    series.m_pLog = log.Log();
    series.m_dModelDi = 1e150;
    const CONFIDENCERESULT result = Confidence(series, 4, 2);
    ASSERT_TRUE(result.bValid);
    EXPECT_EQ(result.nFailed, 4);
    EXPECT_TRUE(std::isnan(result.intervals[kConfidenceDi].dLower));
    EXPECT_EQ(log.Lines().back(), "- 4 replicates evaluated, 4 of them without a result.");

    // Image numbers out of order cannot be resampled; without a model there
    // is nothing to resample from.
    series.m_Samples[5].nImage = 1;
    EXPECT_FALSE(Confidence(series, 4, 2).bValid);
    EXPECT_EQ(log.Lines().back(), "ERROR: Confidence intervals cannot be computed: the image "
                                  "numbers do not form one ascending recording.");
    series.m_nModelState = 0;
    EXPECT_FALSE(Confidence(series, 4, 2).bValid);
}

// One wild image number leaves a gap of two million images: the replicates
// cross it with one step of the model and still hold the walk's Di; a model
// where Da dominates is resampled from its nearest valid process, which the
// result reports.
TEST(BootstrapConfidence, WildGapsAreCrossedAndClippedModelsReported) {
    CA1TimeSeries series = SimulatedSeries(Walk(0.05, 0.0, 0.02));
    series.m_Samples.back().nImage = 2000000;
    ASSERT_TRUE(EvaluateSeries(series, EVALUATIONINPUTS{}, true, 7) && series.HasModel());
    const CONFIDENCERESULT wild = Confidence(series, 8, 2);
    ASSERT_TRUE(wild.bValid);
    EXPECT_EQ(wild.nFailed, 0);
    EXPECT_LE(wild.dClippedShare, kNegligibleClippedShare);
    // A gap crossed with the wrong variance would lose the walk or blow it up.
    EXPECT_GT(wild.intervals[kConfidenceDi].dUpper, 0.03);
    EXPECT_LT(wild.intervals[kConfidenceDi].dUpper, 0.08);

    series.m_dModelDi = 0.01;
    series.m_dModelDa = 0.1;
    series.m_dModelTc = 10.0;
    EXPECT_GT(Confidence(series, 2, 1).dClippedShare, kNegligibleClippedShare);
}

TEST(BootstrapConfidence, PercentileIsTheOrderStatisticOfRankCeilPN) {
    const std::vector<double> values = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                        11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    EXPECT_EQ(ConfidencePercentile(values, 0.05), 1.0);
    EXPECT_EQ(ConfidencePercentile(values, 0.95), 19.0);
    EXPECT_EQ(ConfidencePercentile({4.0}, 0.95), 4.0);
    EXPECT_TRUE(std::isnan(ConfidencePercentile({}, 0.05)));
}
