#pragma once

#include "data/A1Types.h"

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
