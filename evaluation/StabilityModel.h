#pragma once

#include <cstddef>
#include <cstdint>

// The stability model of the characteristic function over k image steps,
// parameters (Di, Da, tc, s):
//   f(k) = s^2 k^2 + 2k (Di^2 + Da^2 exp(-k / tc))
// in the calling form of the fit module: the abscissa and the parameter count
// by pointer, then the parameter array.
double StabilityModelValue(const double* pK, const std::int32_t* pnParams, const double* pParams);

// Partial derivatives of StabilityModelValue by Di, Da, tc and s into pGradient.
void StabilityModelGradient(const double* pK, const std::int32_t* pnParams, const double* pParams,
                            double* pGradient);

// The same for n abscissae at once, in loops that the compiler vectorises;
// every value is bit for bit the one of the single form. The values come
// with the decay exp(-k / tc) of each abscissa, from which the partial
// derivatives at the same parameters follow without another exponential.
void StabilityModelValues(const double* pK, std::size_t n, const double* pParams, double* pF,
                          double* pDecay);
void StabilityModelGradients(const double* pK, std::size_t n, const double* pParams,
                             const double* pDecay, double* pDi, double* pDa, double* pTc,
                             double* pS);
