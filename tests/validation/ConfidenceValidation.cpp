// Validation of the bootstrap's intervals (run by `make validate`, not by the
// tests: it takes minutes). Simulates recordings of a random walk with drift
// and white measurement noise, for which the model is exact and the model
// lifetime is known, evaluates each as tessaric-cli does, and counts how
// often the 90 % intervals hold the true Di, s and model lifetime. Usage:
//     validate_confidence [SERIES [REPLICATES [IMAGES]]]   (200 200 1000)
#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/AstigmatismTolerance.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/SeriesEvaluation.h"
#include "infra/CNumber.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The true model lifetime in image steps: the positive root of
// s^2 k^2 + 2 Di^2 k = a^2 (the model without a decaying part).
double TrueLifetimeSteps(double di, double s, double a) {
    if (s == 0.0)
        return a * a / (2.0 * di * di);
    const double di2 = di * di;
    return (-di2 + std::sqrt(di2 * di2 + s * s * a * a)) / (s * s);
}

struct COVERAGE {
    int nHits = 0;
    int nCases = 0;
    void Add(const CONFIDENCEINTERVAL& interval, double truth) {
        if (std::isnan(interval.dLower))
            return;
        ++nCases;
        if (interval.dLower <= truth && truth <= interval.dUpper)
            ++nHits;
    }
    std::string Text() const {
        const double p = nCases > 0 ? static_cast<double>(nHits) / nCases : 0.0;
        // binomial standard error of the fraction
        const double se = nCases > 0 ? std::sqrt(p * (1.0 - p) / nCases) : 0.0;
        return FormatC("%5.1f %% +- %4.1f %% (%d of %d)", 100.0 * p, 100.0 * se, nHits, nCases);
    }
};

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

} // namespace

int main(int argc, char** argv) {
    const int seriesCount = Argument(argc, argv, 1, 200);
    const int replicates = Argument(argc, argv, 2, 200);
    const int images = Argument(argc, argv, 3, 1000);
    // The truths cycle through strengths, drifts and noise levels that a
    // corrector shows; the defaults of tessaric-cli give the tolerance.
    const double kDi[] = {0.03, 0.05, 0.08};
    const double kDrift[] = {0.0005, 0.001, 0.002};
    const double kNoise[] = {0.05, 0.1};
    const EVALUATIONINPUTS defaults;
    const double tolerance =
        AstigmatismTolerance(defaults.dEnergykV, defaults.dResolutionAng, defaults.dLimitPhase);

    COVERAGE lifetime, di, drift;
    int failedReplicates = 0;
    int unfitted = 0;
    for (int i = 0; i < seriesCount; ++i) {
        SIMULATIONSETTINGS settings;
        settings.nImages = images;
        settings.dDi = kDi[i % 3];
        settings.dDrift = kDrift[(i / 3) % 3];
        settings.dNoise = kNoise[(i / 9) % 2];
        settings.dDa = 0.0;
        settings.nSeed = 1000u + static_cast<unsigned>(i);
        CA1TimeSeries series = SimulatedSeries(settings);
        if (!EvaluateSeries(series, defaults, true, static_cast<std::uint32_t>(i + 1)) ||
            !series.HasModel()) {
            ++unfitted;
            continue;
        }
        CONFIDENCESETTINGS confidence;
        confidence.nReplicates = replicates;
        confidence.nSeed = static_cast<std::uint32_t>(i + 1);
        const CONFIDENCERESULT result = EvaluateConfidence(series, confidence);
        failedReplicates += result.nFailed;
        const double trueLifetime =
            TrueLifetimeSteps(settings.dDi, settings.dDrift, tolerance) * series.m_dPeriod;
        lifetime.Add(result.intervals[kConfidenceModelLifetime], trueLifetime);
        di.Add(result.intervals[kConfidenceDi], settings.dDi);
        drift.Add(result.intervals[kConfidenceS], settings.dDrift);
        std::fprintf(stderr, "\rseries %d of %d", i + 1, seriesCount);
    }
    std::fprintf(stderr, "\n");
    std::printf("Coverage of the 90 %% intervals, %d simulated series of %d images, B = %d\n",
                seriesCount, images, replicates);
    std::printf("  model lifetime: %s\n", lifetime.Text().c_str());
    std::printf("  Di            : %s\n", di.Text().c_str());
    std::printf("  s             : %s\n", drift.Text().c_str());
    std::printf("  failed replicates: %d of %d; series without a model: %d\n", failedReplicates,
                seriesCount * replicates, unfitted);
    return 0;
}
