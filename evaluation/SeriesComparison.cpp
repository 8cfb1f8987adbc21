#include "evaluation/SeriesComparison.h"

#include "evaluation/BootstrapConfidence.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The ratio of two lifetimes, either of which may be unbounded (infinity).
// Two unbounded lifetimes tell nothing about a change: they count as equal.
double LifetimeRatio(double first, double second) {
    if (std::isinf(first) && std::isinf(second))
        return 1.0;
    return first / second;
}

} // namespace

COMPARISONVERDICT CompareModelLifetimes(const CONFIDENCERESULT& first,
                                        const CONFIDENCERESULT& second) {
    COMPARISONVERDICT verdict;
    if (!first.bValid || !second.bValid)
        return verdict;
    verdict.dRatio = LifetimeRatio(first.intervals[kConfidenceModelLifetime].dEstimate,
                                   second.intervals[kConfidenceModelLifetime].dEstimate);
    // The two bootstraps are independent, so replicate i of one paired with
    // replicate i of the other is one draw from the distribution of the
    // ratio (the percentile interval of a ratio of independent bootstrap
    // estimates, Efron & Tibshirani 1993, ch. 13). A failed replicate on
    // either side drops its pair.
    std::vector<double> ratios;
    const std::size_t pairs = std::min(first.replicates.size(), second.replicates.size());
    for (std::size_t i = 0; i < pairs; ++i) {
        const CONFIDENCEREPLICATE& a = first.replicates[i];
        const CONFIDENCEREPLICATE& b = second.replicates[i];
        if (a.bFailed || b.bFailed)
            continue;
        const double ratio =
            LifetimeRatio(a.values[kConfidenceModelLifetime], b.values[kConfidenceModelLifetime]);
        if (!std::isnan(ratio))
            ratios.push_back(ratio);
    }
    if (ratios.empty())
        return verdict;
    std::sort(ratios.begin(), ratios.end());
    verdict.nPairs = static_cast<std::int32_t>(ratios.size());
    verdict.dLower = ConfidencePercentile(ratios, kConfidenceLowerProbability);
    verdict.dUpper = ConfidencePercentile(ratios, kConfidenceUpperProbability);
    verdict.bChanged = verdict.dLower > 1.0 || verdict.dUpper < 1.0;
    verdict.bValid = true;
    return verdict;
}

std::string VerdictText(const COMPARISONVERDICT& verdict) {
    if (!verdict.bValid)
        return "no verdict";
    return verdict.bChanged ? "changed" : "no change shown";
}
