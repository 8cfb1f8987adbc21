#pragma once

#include "evaluation/ProbabilityModel.h"

#include <cstdint>

// Where the stability model first reaches a squared tolerance, in image steps.
struct MODELCROSSING {
    double dSteps = 0.0; // the crossing; where the search stopped when not found
    bool bFound = false; // false: the search gave up at its step limit
};

// The search gives up after this many steps: a walk of a million image steps
// beyond its start without reaching the tolerance means the model stays
// within it for any time span worth extrapolating to (and costs only a few
// milliseconds).
constexpr std::int32_t kMaxModelSearchSteps = 1000000;

// Walks in whole image steps from dStart towards the point where the model
// function (evaluation/StabilityModel.h) reaches a2, then refines the step by a
// factor of 10 at every crossing until it is below 0.001 image steps.
MODELCROSSING SearchModelCrossing(const ModelParameters& params, double a2, double dStart);
