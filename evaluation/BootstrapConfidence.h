#pragma once

#include "evaluation/BootstrapIntervals.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class CA1TimeSeries;

// How well a recording pins its model down: a parametric bootstrap of the
// whole evaluation (see BootstrapConfidence.cpp for the method and why it was
// chosen) with 90 % percentile intervals.

// The quantities that get an interval, in the order of the report block and
// the replicate table: the four model parameters (tc in seconds), the model
// lifetime and the 84 %, 50 % and 16 % probability lifetimes, all in nm or s.
enum ConfidenceQuantity : std::size_t {
    kConfidenceDi,
    kConfidenceDa,
    kConfidenceTc,
    kConfidenceS,
    kConfidenceModelLifetime,
    kConfidenceLowerLimit,
    kConfidenceMedianLimit,
    kConfidenceUpperLimit,
    kConfidenceQuantities
};
using ConfidenceValues = std::array<double, kConfidenceQuantities>;

// B when the user asks for intervals without saying how many replicates.
inline constexpr std::int32_t kDefaultConfidenceReplicates = 200;

// The method the intervals use: the one whose coverage came closest to
// 90 % in the study of `make validate` (README, "Confidence intervals").
inline constexpr BootstrapIntervalMethod kConfidenceMethod = BootstrapIntervalMethod::Percentile;
// Blocks of the jackknife that gives BCa its acceleration: each leaves out a
// tenth of the recording, long enough to keep its correlations whole.
inline constexpr std::size_t kJackknifeBlocks = 10;

struct CONFIDENCEREPLICATE {
    bool bFailed = true; // no characteristic function, no model or a value not a number
    ConfidenceValues values{};
};

struct CONFIDENCEINTERVAL {
    double dEstimate = 0.0; // the recording's own value
    double dLower = 0.0;    // not a number when no replicate succeeded
    double dUpper = 0.0;
};

struct CONFIDENCESETTINGS {
    std::int32_t nReplicates = kDefaultConfidenceReplicates;
    std::uint32_t nSeed = 1;    // every replicate's series and fit seed derive from it
    std::uint32_t nThreads = 0; // 0: one per core
    BootstrapIntervalMethod method = kConfidenceMethod;
    // Called after each finished replicate with the number finished so far,
    // from the worker threads but never from two at once, in rising order.
    std::function<void(std::int32_t nDone, std::int32_t nTotal)> progress;
};

struct CONFIDENCERESULT {
    bool bValid = false; // false: nothing was resampled (see the log)
    std::int32_t nReplicates = 0;
    std::int32_t nFailed = 0;
    std::uint32_t nSeed = 0;
    // The share of the model's variance that its nearest valid process left
    // out (ModelPathGenerator.h); above kNegligibleClippedShare the
    // replicates are not draws of the fitted model itself.
    double dClippedShare = 0.0;
    std::array<CONFIDENCEINTERVAL, kConfidenceQuantities> intervals{};
    std::vector<CONFIDENCEREPLICATE> replicates; // in replicate order
};

// The quantities of an evaluated series as the intervals carry them; a
// model lifetime that the search found beyond its range counts as unbounded
// (infinity).
ConfidenceValues SeriesConfidenceValues(const CA1TimeSeries& series);

// Resamples the evaluated series (characteristic function and model present)
// and evaluates every replicate as the series itself was evaluated, with its
// minimum diversity and tolerance inputs. Reports to the series' log; the
// replicates stay silent. The same settings give the same result bit for
// bit, whatever the number of threads.
CONFIDENCERESULT EvaluateConfidence(const CA1TimeSeries& series,
                                    const CONFIDENCESETTINGS& settings);

// BCa's acceleration of every quantity from the recording evaluated
// kJackknifeBlocks times, each time without one block of consecutive
// samples (the fit seeded from nSeed). 0 for a quantity whose left-out
// values are not all finite.
ConfidenceValues ConfidenceAccelerations(const CA1TimeSeries& series, std::uint32_t nSeed);

// The intervals of every quantity by `method` from the replicates that
// succeeded, around the recording's own values.
std::array<CONFIDENCEINTERVAL, kConfidenceQuantities>
ConfidenceIntervals(const std::vector<CONFIDENCEREPLICATE>& replicates,
                    const ConfidenceValues& estimate, BootstrapIntervalMethod method,
                    const ConfidenceValues& accelerations);
