#include "evaluation/SeriesComparison.h"
#include "evaluation/BootstrapConfidence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// A bootstrap whose replicates' model lifetimes are `lifetimes` (a NaN marks
// a failed replicate) and whose own lifetime is `estimate`.
CONFIDENCERESULT Bootstrap(double estimate, const std::vector<double>& lifetimes) {
    CONFIDENCERESULT result;
    result.bValid = true;
    result.nReplicates = static_cast<std::int32_t>(lifetimes.size());
    result.intervals[kConfidenceModelLifetime].dEstimate = estimate;
    for (double lifetime : lifetimes) {
        CONFIDENCEREPLICATE replicate;
        replicate.bFailed = std::isnan(lifetime);
        replicate.values[kConfidenceModelLifetime] = lifetime;
        result.replicates.push_back(replicate);
    }
    return result;
}

std::vector<double> Around(double centre, double spread, int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i)
        values.push_back(centre + spread * (i - count / 2) / count);
    return values;
}

// The same values in the opposite order: independent bootstraps do not pair
// their largest replicates.
std::vector<double> Reversed(std::vector<double> values) {
    return {values.rbegin(), values.rend()};
}

} // namespace

TEST(SeriesComparison, VerdictFollowsTheRatioInterval) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct CASE {
        const char* pszName;
        CONFIDENCERESULT first, second;
        const char* pszVerdict;
        double dRatio;
        int nPairs;
    };
    const CASE cases[] = {
        {"halved", Bootstrap(100, Around(100, 20, 40)), Bootstrap(50, Around(50, 10, 40)),
         "changed", 2.0, 40},
        {"overlapping", Bootstrap(100, Around(100, 60, 40)),
         Bootstrap(90, Reversed(Around(90, 60, 40))), "no change shown", 100.0 / 90.0, 40},
        {"failed replicates drop their pair", Bootstrap(100, {nan, 90, 100, 110, nan}),
         Bootstrap(100, {100, nan, 105, 95, 100}), "no change shown", 1.0, 2},
        {"both unbounded count as equal", Bootstrap(kInf, {kInf, kInf, kInf}),
         Bootstrap(kInf, {kInf, kInf, kInf}), "no change shown", 1.0, 3},
        {"unbounded against bounded", Bootstrap(kInf, {kInf, kInf, kInf}),
         Bootstrap(50, {40, 50, 60}), "changed", kInf, 3},
        {"no bootstrap", CONFIDENCERESULT{}, Bootstrap(50, {40, 50, 60}), "no verdict", 0.0, 0},
    };
    for (const CASE& c : cases) {
        const COMPARISONVERDICT verdict = CompareModelLifetimes(c.first, c.second);
        EXPECT_EQ(VerdictText(verdict), c.pszVerdict) << c.pszName;
        EXPECT_DOUBLE_EQ(verdict.dRatio, c.dRatio) << c.pszName;
        EXPECT_EQ(verdict.nPairs, c.nPairs) << c.pszName;
        if (verdict.bValid) {
            EXPECT_LE(verdict.dLower, verdict.dUpper) << c.pszName;
        }
    }
}
