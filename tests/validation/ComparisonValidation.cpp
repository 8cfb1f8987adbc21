// Validation of the two-series verdict (run by `make validate`, not by the
// tests). Simulates pairs of recordings of a random walk with drift and
// noise, for which the model is exact: in one set the second recording's Di
// is 1.5 times the first's (its model lifetime about 0.44 times), in the
// other both come from the same process. Each recording is evaluated and
// bootstrapped as tessaric-cli compare does, and the study counts how often
// the verdict is "changed". Usage:
//     validate_comparison [PAIRS [REPLICATES [IMAGES]]]   (50 100 3000)
#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/SeriesComparison.h"
#include "evaluation/SeriesEvaluation.h"
#include "infra/CNumber.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

struct RATE {
    int nChanged = 0;
    int nPairs = 0;
    int nNoVerdict = 0;
    std::string Text() const {
        const double p = nPairs > 0 ? static_cast<double>(nChanged) / nPairs : 0.0;
        // binomial standard error of the fraction
        const double se = nPairs > 0 ? std::sqrt(p * (1.0 - p) / nPairs) : 0.0;
        return FormatC("%5.1f %% +- %4.1f %% (%d of %d; no verdict: %d)", 100.0 * p, 100.0 * se,
                       nChanged, nPairs, nNoVerdict);
    }
};

// One recording evaluated with its bootstrap, on one thread.
CONFIDENCERESULT Bootstrapped(double di, unsigned seed, int images, int replicates) {
    SIMULATIONSETTINGS settings;
    settings.nImages = images;
    settings.dDi = di;
    settings.dDa = 0.0;
    settings.dDrift = 0.001;
    settings.dNoise = 0.02;
    settings.nSeed = seed;
    CA1TimeSeries series = SimulatedSeries(settings);
    if (!EvaluateSeries(series, EVALUATIONINPUTS{}, true, seed) || !series.HasModel())
        return {};
    CONFIDENCESETTINGS confidence;
    confidence.nReplicates = replicates;
    confidence.nSeed = seed;
    confidence.nThreads = 1;
    return EvaluateConfidence(series, confidence);
}

} // namespace

int main(int argc, char** argv) {
    const int pairs = Argument(argc, argv, 1, 50);
    const int replicates = Argument(argc, argv, 2, 100);
    const int images = Argument(argc, argv, 3, 3000);
    // A strength that a corrector shows; the second of a changed pair is
    // 1.5 times as strong.
    constexpr double kDi = 0.05;
    constexpr double kChange = 1.5;
    RATE changed, same;
    for (int i = 0; i < pairs; ++i) {
        const unsigned seed = 5000u + 4u * static_cast<unsigned>(i);
        const CONFIDENCERESULT base = Bootstrapped(kDi, seed, images, replicates);
        const CONFIDENCERESULT stronger = Bootstrapped(kChange * kDi, seed + 1, images, replicates);
        const CONFIDENCERESULT again = Bootstrapped(kDi, seed + 2, images, replicates);
        for (auto [rate, second] : {std::pair{&changed, &stronger}, std::pair{&same, &again}}) {
            const COMPARISONVERDICT verdict = CompareModelLifetimes(base, *second);
            ++rate->nPairs;
            if (!verdict.bValid)
                ++rate->nNoVerdict;
            else if (verdict.bChanged)
                ++rate->nChanged;
        }
        std::fprintf(stderr, "\rpair %d of %d", i + 1, pairs);
    }
    std::fprintf(stderr, "\n");
    std::printf("Verdict \"changed\", %d pairs of %d images, B = %d, Di %.3g nm\n", pairs, images,
                replicates, kDi);
    std::printf("  Di 1.5 x in the second: %s\n", changed.Text().c_str());
    std::printf("  same process          : %s\n", same.Text().c_str());
    return 0;
}
