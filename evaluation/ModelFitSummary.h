#pragma once

#include <cstddef>
#include <cstdint>

// Why a model fit's restarts ended.
enum class FitStop : std::int32_t {
    // the fit was aborted before its first minimisation
    NotRun,
    // every start was minimised
    AllStarts,
    // the best result improved often enough that more starts would not pay
    EnoughImprovements,
};

// What a model fit did, for its callers and the log; the model itself is
// stored in the series. Only minimisations that were judged count, so the
// figures are the same on any number of threads.
struct MODELFITSUMMARY {
    // the series holds the new model
    bool bFitted = false;
    // the first from the fixed start, the rest random restarts
    std::size_t nMinimisations = 0;
    std::int32_t nIterations = 0;
    // how often a restart improved on the best s-square so far
    std::int32_t nImprovements = 0;
    FitStop stop = FitStop::NotRun;
    // unweighted s-square of the kept model
    double dSSquare = 0.0;
};
