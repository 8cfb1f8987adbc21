#pragma once

#include <cstdint>
#include <string>

struct CONFIDENCERESULT;

// Whether two recordings differ in their model lifetime, judged by the
// ratio of the first's lifetime to the second's with a 90 % interval from
// their two bootstraps.
struct COMPARISONVERDICT {
    bool bValid = false; // false: a bootstrap is missing or gave no pair
    double dRatio = 0.0; // the recordings' own ratio
    double dLower = 0.0; // 5 % point of the replicate ratios
    double dUpper = 0.0; // 95 % point
    std::int32_t nPairs = 0;
    bool bChanged = false; // the interval excludes 1
};

COMPARISONVERDICT CompareModelLifetimes(const CONFIDENCERESULT& first,
                                        const CONFIDENCERESULT& second);

// "changed" or "no change shown" (a wide interval never proves sameness),
// or "no verdict" without intervals.
std::string VerdictText(const COMPARISONVERDICT& verdict);
