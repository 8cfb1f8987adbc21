#pragma once

// The terms of the stability model, written once for the single form and for
// the batch loops that each instruction-set file compiles. Everything here
// has internal linkage, so each file keeps its own copy and the linker can
// never hand a wider one to a caller on a narrower processor. The files must
// be compiled without floating-point contraction, so that every form gives
// the same bits, and without trapping math, so that the compiler may compute
// both sides of a selection in vector lanes.

#include "evaluation/ModelExp.h"

#include <cstddef>

namespace stabilityterms {

// Without a correlation time (tc <= 0) the decaying walk is gone for every
// k > 0, the limit tc -> 0+.
static inline double Decay(double k, double tc) {
    return tc > 0.0 ? ModelExp(-k / tc) : 0.0;
}

// Without Da the decaying walk is absent whatever the decay is (0 * inf
// would not be a number).
static inline double SqrDiffusion(const double* p, double decay) {
    const double decaying = p[1] == 0.0 ? 0.0 : p[1] * p[1] * decay;
    return p[0] * p[0] + decaying;
}

static inline double Value(double k, const double* p, double decay) {
    return p[3] * p[3] * k * k + 2.0 * k * SqrDiffusion(p, decay);
}

static inline void Gradient(double k, const double* p, double decay, double& dDi, double& dDa,
                            double& dTc, double& dS) {
    dDi = 4.0 * p[0] * k;
    dDa = 4.0 * p[1] * k * decay;
    // As tc goes to 0 the decay vanishes faster than (k/tc)^2 grows, so the
    // derivative tends to 0; written out it would be 0 * inf, not a number,
    // which would stall every minimisation that touches tc = 0.
    dTc = decay == 0.0 ? 0.0 : 2.0 * p[1] * p[1] * decay * (k / p[2]) * (k / p[2]);
    dS = 2.0 * p[3] * k * k;
}

static inline void Values(const double* __restrict pK, std::size_t n, const double* pParams,
                          double* __restrict pF, double* __restrict pDecay) {
    const double p[4] = {pParams[0], pParams[1], pParams[2], pParams[3]};
    for (std::size_t i = 0; i < n; ++i) {
        const double decay = Decay(pK[i], p[2]);
        pF[i] = Value(pK[i], p, decay);
        pDecay[i] = decay;
    }
}

static inline void Gradients(const double* __restrict pK, std::size_t n, const double* pParams,
                             const double* __restrict pDecay, double* __restrict pDi,
                             double* __restrict pDa, double* __restrict pTc,
                             double* __restrict pS) {
    const double p[4] = {pParams[0], pParams[1], pParams[2], pParams[3]};
    for (std::size_t i = 0; i < n; ++i) {
        double dDi = 0.0, dDa = 0.0, dTc = 0.0, dS = 0.0;
        Gradient(pK[i], p, pDecay[i], dDi, dDa, dTc, dS);
        pDi[i] = dDi;
        pDa[i] = dDa;
        pTc[i] = dTc;
        pS[i] = dS;
    }
}

} // namespace stabilityterms

// The batch loops compiled for AVX2 and for AVX-512 (x86-64 builds only);
// StabilityModel.cpp chooses among them and its own baseline form at run time.
void StabilityModelValuesAvx2(const double* pK, std::size_t n, const double* pParams, double* pF,
                              double* pDecay);
void StabilityModelGradientsAvx2(const double* pK, std::size_t n, const double* pParams,
                                 const double* pDecay, double* pDi, double* pDa, double* pTc,
                                 double* pS);
void StabilityModelValuesAvx512(const double* pK, std::size_t n, const double* pParams, double* pF,
                                double* pDecay);
void StabilityModelGradientsAvx512(const double* pK, std::size_t n, const double* pParams,
                                   const double* pDecay, double* pDi, double* pDa, double* pTc,
                                   double* pS);
