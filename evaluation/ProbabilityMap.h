#pragma once

#include "data/A1Types.h"

#include <cstdint>
#include <vector>

// P(a, k) over a grid of tolerances and time spans: how the time that a
// tolerance holds changes with a looser or tighter resolution target.

// The map's tolerances reach from a quarter to four times the present one.
inline constexpr double kMapToleranceLow = 0.25;
inline constexpr double kMapToleranceHigh = 4.0;

struct PROBABILITYMAP {
    std::vector<double> tolerances; // nm, the centres of the rows, rising
    std::vector<double> steps;      // image steps, the centres of the columns, rising
    std::vector<double> values;     // P, row by row (one row per tolerance)

    double At(std::size_t row, std::size_t column) const {
        return values[row * steps.size() + column];
    }
};

// nRows x nColumns cells over tolerances [a / 4, 4 a] and time spans
// [0, kEnd], each holding P at its centre. Empty for a tolerance or end that
// is not a positive number or a grid without cells.
PROBABILITYMAP EvaluateProbabilityMap(double a, double kEnd, const ModelParameters& params,
                                      std::int32_t nRows, std::int32_t nColumns);
