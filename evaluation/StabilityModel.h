#pragma once

#include "data/A1Types.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The squared diffusion of the stability model after k image steps,
//   D²(k) = Di² + Da² exp(-k / tc).
// Without a correlation time (tc <= 0) the decaying walk is gone for every
// k > 0, the limit tc -> 0+; without Da it is absent whatever tc is. Both
// cases give the term 0 rather than 0 * exp(...) = NaN or a growing
// exponential, so that the fit, the lifetime search, the probability model
// and the diagrams agree on one value.
double ModelSqrDiffusion(const ModelParameters& params, double k);

// The stability model of the characteristic function over k image steps:
//   f(k) = s² k² + 2k D²(k)
// f(0) is 0 for every parameter set.
double ModelFunction(const ModelParameters& params, double k);

// ModelFunction in the calling form of the fit module: the abscissa and the
// parameter count by pointer, then the parameter array.
double StabilityModelValue(const double* pK, const std::int32_t* pnParams, const double* pParams);

// Partial derivatives of StabilityModelValue by Di, Da, tc and s into pGradient.
void StabilityModelGradient(const double* pK, const std::int32_t* pnParams, const double* pParams,
                            double* pGradient);

// The records of a fit: abscissae k, values y and weights w (null: every
// weight 1).
struct FITRECORDS {
    const double* pK = nullptr;
    const double* pY = nullptr;
    const double* pW = nullptr;
    std::size_t n = 0;
};

// The model at every abscissa at once, in loops that the compiler vectorises;
// every value is bit for bit the one of the single form. The values come
// with the decay exp(-k / tc) of each abscissa, from which the fit's
// gradient at the same parameters follows without another exponential.
void StabilityModelValues(const double* pK, std::size_t n, const double* pParams, double* pF,
                          double* pDecay);

// The fit's sums over its records, from the values and decays above at the
// same parameters, in the order of LaneSums.h: the sum of w (f - y)^2, and
// for each parameter the sum of 2 w (f - y) df/dp. The same bits as the sums
// of the single forms in that order.
double StabilityModelSquareSum(const FITRECORDS& records, const double* pF);
std::array<double, 4> StabilityModelGradientSums(const FITRECORDS& records, const double* pParams,
                                                 const double* pF, const double* pDecay);
