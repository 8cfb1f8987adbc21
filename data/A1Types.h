#pragma once

#include <array>
#include <cstdint>
#include <string>

// One astigmatism sample; the characteristic function reuses the record for
// its points (nImage then holds a distance in image numbers).
struct A1SAMPLE {
    std::int32_t nImage = 0;
    double dX = 0.0;    // A22 x, nm
    double dY = 0.0;    // A22 y, nm
    double dErrX = 0.0; // measurement error of dX, nm
    double dErrY = 0.0; // measurement error of dY, nm
};

// A display unit: value in the table's base unit = value in this unit * dFactor.
struct UNIT {
    std::string strName;
    double dFactor = 1.0;
};

// The parameters of a series' stability model (Di, Da, tc, s) in this order:
// Di, Da and s in nm, tc in image steps.
using ModelParameters = std::array<double, 4>;

// Which pairs of samples the characteristic function takes at distance k.
// ImageNumbers: every pair whose image numbers differ by k, wherever the two
// sit in the array, so that a missing image costs only its own pairs.
// Adjacent: only samples k positions apart that are also k images apart,
// the rule of the original method, kept to compare with its results.
enum class GapPairRule { ImageNumbers, Adjacent };
