#pragma once

#include "evaluation/ProbabilityModel.h"

#include <cstddef>

class CA1TimeSeries;

// Four parameters need clearly more points than that to be fitted with any
// confidence.
inline constexpr std::size_t kMinFitRecords = 16;

// The box within which the model fit searches, from the characteristic
// function of a series.
struct FITBOUNDS {
    ModelParameters lower{};
    ModelParameters upper{};
    double dFMax = 0.0; // largest value of f, nm^2
    double dKt = 0.0;   // largest distance, image steps
};

// Needs at least one characteristic-function record.
FITBOUNDS ModelFitBounds(const CA1TimeSeries& series);

// A power of two near the width of each parameter's box (for tc, near its
// square root): the fit minimises over the parameters divided by it, so that
// Di, Da and s (thousandths of a nanometre) and tc (up to thousands of image
// steps) look alike to the minimiser. A box without a usable width leaves
// its parameter unscaled (1).
ModelParameters ModelFitScales(const FITBOUNDS& bounds);
