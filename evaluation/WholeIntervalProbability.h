#pragma once

#include "data/A1Types.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// P_inside(a, k): the probability that the astigmatism stays within a of its
// starting value for every moment of k image steps, |A(τ) - A(0)| <= a for
// all τ in [0, k], under the fitted model without measurement noise. It is
// never above P(a, k), which asks only about the end of the interval: a path
// that leaves and comes back counts there, not here.
//
// The method (Monte Carlo with a crossing correction) is argued in
// WholeIntervalProbability.cpp.

struct WHOLEINTERVALSETTINGS {
    // 2^14 paths keep the standard error at or below 0.5 / sqrt(16384) =
    // 0.0039 at every point, under the 0.005 that the curve promises.
    std::int32_t nPaths = 16384;
    // Grid intervals over [0, kEnd]; the crossing correction makes the
    // remaining time-step bias small against the standard error (README).
    std::int32_t nIntervals = 400;
    std::uint64_t nSeed = 1;
    std::uint32_t nThreads = 0; // 0: one per core
};

struct WHOLEINTERVALCURVE {
    bool bValid = false;
    std::string strProblem;            // why there is no curve
    std::vector<double> steps;         // k in image steps, from 0 to kEnd
    std::vector<double> probability;   // P_inside at each k
    std::vector<double> standardError; // of each estimate
    std::int32_t nPaths = 0;
    std::uint64_t nSeed = 0;
    // Share of the variance that the path generator had to leave out, the
    // model being no valid process on the grid (see ModelPathGenerator.h);
    // at most 0.001 in a valid curve.
    double dClippedShare = 0.0;

    // Linear between the grid points; not a number outside the grid or
    // without a curve.
    double At(double k) const;
    // The first k at which the curve has fallen to p, linear between grid
    // points; not a number when it stays above p up to its end.
    double Lifetime(double p) const;
    double LargestStandardError() const;
};

// The curve on nIntervals + 1 equal steps from 0 to kEnd for the tolerance
// a (nm). Invalid with a reason for an unusable tolerance or end, model
// values that are not numbers, or a model that is no valid process over the
// span (more than 0.001 of its variance clipped by the path generator). The same
// settings give the same bits on any number of threads. `abort` (may be
// null) ends the work early with an invalid curve.
WHOLEINTERVALCURVE EvaluateWholeIntervalCurve(double a, double kEnd, const ModelParameters& params,
                                              const WHOLEINTERVALSETTINGS& settings = {},
                                              const std::atomic<bool>* abort = nullptr);

// The same, but a curve computed before for the same inputs is handed out
// again instead of simulated anew: a diagram repaints, the report and the
// table ask for the same curve.
WHOLEINTERVALCURVE WholeIntervalCurve(double a, double kEnd, const ModelParameters& params,
                                      const WHOLEINTERVALSETTINGS& settings = {});
