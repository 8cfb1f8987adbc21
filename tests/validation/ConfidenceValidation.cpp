// Validation of the bootstrap's intervals (run by `make validate`, not by the
// tests: it takes minutes). Simulates recordings drawn exactly from the
// stability model, for which every true value is known, evaluates each as
// tessaric-cli does, and counts for each interval method how often the 90 %
// interval holds the truth and how often it misses the recording's own
// estimate. Two sets: random walks with drift (no decaying part), and models
// whose decaying part matters (Da above Di, tc of tens of images). Usage:
//     validate_confidence [SERIES_PER_SET [REPLICATES [IMAGES]]]   (100 100 1000)
// The defaults keep the study to a few minutes on one core; the figures in
// README.md come from them.
#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/ModelPathGenerator.h"
#include "evaluation/SeriesEvaluation.h"
#include "infra/CNumber.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct STUDYMODEL {
    double dDi, dDa, dTc, dDrift, dNoise; // nm, nm, images, nm per image, nm
};

struct STUDYSET {
    const char* pszName;
    std::vector<STUDYMODEL> models; // cycled through by the series
};

// Strengths, drifts and noise levels that a corrector shows; the decaying
// set keeps Da at most 2.4 Di, where the model is still a valid process.
const STUDYSET kSets[] = {
    {"random walk with drift",
     {{0.03, 0, 0, 0.0005, 0.05},
      {0.05, 0, 0, 0.001, 0.1},
      {0.08, 0, 0, 0.002, 0.05},
      {0.05, 0, 0, 0.0005, 0.1},
      {0.03, 0, 0, 0.002, 0.1},
      {0.08, 0, 0, 0.001, 0.05}}},
    {"decaying part that matters",
     {{0.05, 0.10, 20, 0.0005, 0.05},
      {0.04, 0.08, 40, 0.0005, 0.05},
      {0.05, 0.12, 30, 0.001, 0.05},
      {0.06, 0.10, 25, 0.0002, 0.1}}},
};

constexpr BootstrapIntervalMethod kMethods[] = {BootstrapIntervalMethod::Percentile,
                                                BootstrapIntervalMethod::Basic,
                                                BootstrapIntervalMethod::BCa};
constexpr const char* kMethodNames[] = {"percentile", "basic", "BCa"};
constexpr std::size_t kMethodCount = std::size(kMethods);
constexpr const char* kQuantityNames[kConfidenceQuantities] = {
    "Di", "Da", "tc", "s", "model lifetime", "84 % limit", "50 % limit", "16 % limit"};

struct COVERAGE {
    int nHits = 0;
    int nCases = 0;
    void Add(bool bHit) {
        ++nCases;
        nHits += bHit ? 1 : 0;
    }
    double Share() const { return nCases > 0 ? static_cast<double>(nHits) / nCases : 0.0; }
    std::string Text() const {
        if (nCases == 0)
            return "          -          ";
        const double p = Share();
        // binomial standard error of the fraction
        const double se = std::sqrt(p * (1.0 - p) / nCases);
        return FormatC("%5.1f %% +- %4.1f (%3d)", 100.0 * p, 100.0 * se, nCases);
    }
};

bool Holds(const CONFIDENCEINTERVAL& interval, double value) {
    return interval.dLower <= value && value <= interval.dUpper;
}

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

// The true values: the evaluated series with the model it was drawn from.
ConfidenceValues TrueValues(const CA1TimeSeries& series, const STUDYMODEL& model) {
    CA1TimeSeries truth = series;
    truth.m_dModelDi = model.dDi;
    truth.m_dModelDa = model.dDa;
    truth.m_dModelTc = model.dTc;
    truth.m_dModelS = model.dDrift;
    truth.EvaluateModelLifetime(truth.m_dTolerance);
    ConfidenceValues values = SeriesConfidenceValues(truth);
    // A walk has no decaying part whose strength or time an interval could hold.
    if (model.dDa == 0.0)
        values[kConfidenceDa] = values[kConfidenceTc] = std::nan("");
    return values;
}

} // namespace

int main(int argc, char** argv) {
    const int seriesCount = Argument(argc, argv, 1, 100);
    const int replicates = Argument(argc, argv, 2, 100);
    const int images = Argument(argc, argv, 3, 1000);
    const EVALUATIONINPUTS defaults;
    double deviation[kMethodCount] = {};
    int deviationCount = 0;
    for (const STUDYSET& set : kSets) {
        COVERAGE coverage[kMethodCount][kConfidenceQuantities];
        int outside[kMethodCount] = {};
        int lines = 0;
        int failedReplicates = 0;
        int unfitted = 0;
        int clipped = 0;
        for (int i = 0; i < seriesCount; ++i) {
            const STUDYMODEL& model = set.models[static_cast<std::size_t>(i) % set.models.size()];
            SIMULATIONSETTINGS settings;
            settings.nImages = images;
            settings.dDi = model.dDi;
            settings.dDa = model.dDa;
            settings.dTc = model.dDa > 0.0 ? model.dTc : 60.0;
            settings.dDrift = model.dDrift;
            settings.dNoise = model.dNoise;
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
            confidence.nThreads = 1;
            const CONFIDENCERESULT result = EvaluateConfidence(series, confidence);
            failedReplicates += result.nFailed;
            clipped += result.dClippedShare > kNegligibleClippedShare ? 1 : 0;
            const ConfidenceValues truth = TrueValues(series, model);
            const ConfidenceValues estimate = SeriesConfidenceValues(series);
            const ConfidenceValues accelerations =
                ConfidenceAccelerations(series, confidence.nSeed);
            lines += static_cast<int>(kConfidenceQuantities);
            for (std::size_t m = 0; m < kMethodCount; ++m) {
                const auto intervals =
                    ConfidenceIntervals(result.replicates, estimate, kMethods[m], accelerations);
                for (std::size_t q = 0; q < kConfidenceQuantities; ++q) {
                    if (std::isnan(intervals[q].dLower))
                        continue;
                    outside[m] += Holds(intervals[q], estimate[q]) ? 0 : 1;
                    if (!std::isnan(truth[q]))
                        coverage[m][q].Add(Holds(intervals[q], truth[q]));
                }
            }
            std::fprintf(stderr, "\r%s: series %d of %d", set.pszName, i + 1, seriesCount);
        }
        std::fprintf(stderr, "\n");
        std::printf("%s: %d series of %d images, B = %d\n", set.pszName, seriesCount, images,
                    replicates);
        std::printf("  %-15s", "quantity");
        for (const char* name : kMethodNames)
            std::printf(" | %-21s", name);
        std::printf("\n");
        for (std::size_t q = 0; q < kConfidenceQuantities; ++q) {
            std::printf("  %-15s", kQuantityNames[q]);
            for (std::size_t m = 0; m < kMethodCount; ++m) {
                std::printf(" | %s", coverage[m][q].Text().c_str());
                if (coverage[m][q].nCases > 0) {
                    deviation[m] += std::fabs(coverage[m][q].Share() - 0.9);
                    deviationCount += m == 0 ? 1 : 0;
                }
            }
            std::printf("\n");
        }
        std::printf("  %-15s", "estimate outside");
        for (std::size_t m = 0; m < kMethodCount; ++m)
            std::printf(" | %4d of %-13d", outside[m], lines);
        std::printf("\n  failed replicates: %d of %d; series without a model: %d; "
                    "fitted models outside the valid processes: %d\n\n",
                    failedReplicates, seriesCount * replicates, unfitted, clipped);
    }
    std::size_t best = 0;
    std::printf("Mean distance of the coverage from 90 %% over both sets:");
    for (std::size_t m = 0; m < kMethodCount; ++m) {
        std::printf(" %s %.1f %%", kMethodNames[m], 100.0 * deviation[m] / deviationCount);
        best = deviation[m] < deviation[best] ? m : best;
    }
    std::printf("\nClosest to 90 %%: %s\n", kMethodNames[best]);
    return 0;
}
