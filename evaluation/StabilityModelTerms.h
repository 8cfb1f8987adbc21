#pragma once

// The terms of the stability model, written once for the single form and for
// the batch loops that each instruction-set file compiles. Everything here
// has internal linkage, so each file keeps its own copy and the linker can
// never hand a wider one to a caller on a narrower processor. The files must
// be compiled without floating-point contraction, so that every form gives
// the same bits, and without trapping math, so that the compiler may compute
// both sides of a selection in vector lanes.

#include "evaluation/LaneSums.h"
#include "evaluation/ModelExp.h"
#include "evaluation/StabilityModel.h"

#include <cstddef>

// The batch loops of one instruction set.
struct STABILITYKERNELS {
    void (*values)(const double* pK, std::size_t n, const double* pParams, double* pF,
                   double* pDecay);
    double (*squareSum)(const FITRECORDS& records, const double* pF);
    std::array<double, 4> (*gradientSums)(const FITRECORDS& records, const double* pParams,
                                          const double* pF, const double* pDecay);
};

namespace stabilityterms {

// Without a correlation time (tc <= 0) the decaying walk is gone for every
// k > 0, the limit tc -> 0+.
static inline double Decay(double k, double tc) {
    return tc > 0.0 ? ModelExp(-k / tc) : 0.0;
}

// Without Da the decaying walk is absent whatever the decay is (0 * inf
// would not be a number).
static inline double SqrDiffusion(const double* p, double decay) {
    const double decaying = p[kModelDa] == 0.0 ? 0.0 : p[kModelDa] * p[kModelDa] * decay;
    return p[kModelDi] * p[kModelDi] + decaying;
}

static inline double Value(double k, const double* p, double decay) {
    return p[kModelS] * p[kModelS] * k * k + 2.0 * k * SqrDiffusion(p, decay);
}

static inline void Gradient(double k, const double* p, double decay, double& dDi, double& dDa,
                            double& dTc, double& dS) {
    dDi = 4.0 * p[kModelDi] * k;
    dDa = 4.0 * p[kModelDa] * k * decay;
    // As tc goes to 0 the decay vanishes faster than (k/tc)^2 grows, so the
    // derivative tends to 0; written out it would be 0 * inf, not a number,
    // which would stall every minimisation that touches tc = 0.
    dTc = decay == 0.0
              ? 0.0
              : 2.0 * p[kModelDa] * p[kModelDa] * decay * (k / p[kModelTc]) * (k / p[kModelTc]);
    dS = 2.0 * p[kModelS] * k * k;
}

static inline void Values(const double* __restrict pK, std::size_t n, const double* pParams,
                          double* __restrict pF, double* __restrict pDecay) {
    const double p[4] = {pParams[0], pParams[1], pParams[2], pParams[3]};
    for (std::size_t i = 0; i < n; ++i) {
        const double decay = Decay(pK[i], p[kModelTc]);
        pF[i] = Value(pK[i], p, decay);
        pDecay[i] = decay;
    }
}

// The weights as a template argument rather than a test in the loop: a load
// from a pointer that may be null is one that the compiler cannot make for
// all lanes at once. The weight 1 of an unweighted fit leaves every bit of
// the term as it is.
template <bool kWeighted>
static inline double WeightedSquareSum(const FITRECORDS& records, const double* __restrict pF) {
    const double* __restrict y = records.pY;
    const double* __restrict w = records.pW;
    return LaneSums<1>(records.n, [&](std::size_t i, double* t) {
        const double residual = pF[i] - y[i];
        t[0] = (kWeighted ? w[i] : 1.0) * residual * residual;
    })[0];
}

static inline double SquareSum(const FITRECORDS& records, const double* pF) {
    return records.pW ? WeightedSquareSum<true>(records, pF)
                      : WeightedSquareSum<false>(records, pF);
}

template <bool kWeighted>
static inline std::array<double, 4>
WeightedGradientSums(const FITRECORDS& records, const double* pParams, const double* __restrict pF,
                     const double* __restrict pDecay) {
    const double p[4] = {pParams[0], pParams[1], pParams[2], pParams[3]};
    const double* __restrict k = records.pK;
    const double* __restrict y = records.pY;
    const double* __restrict w = records.pW;
    return LaneSums<4>(records.n, [&](std::size_t i, double* t) {
        double d[4];
        Gradient(k[i], p, pDecay[i], d[0], d[1], d[2], d[3]);
        const double factor = 2.0 * (kWeighted ? w[i] : 1.0) * (pF[i] - y[i]);
        for (std::size_t j = 0; j < 4; ++j)
            t[j] = factor * d[j];
    });
}

static inline std::array<double, 4> GradientSums(const FITRECORDS& records, const double* pParams,
                                                 const double* pF, const double* pDecay) {
    return records.pW ? WeightedGradientSums<true>(records, pParams, pF, pDecay)
                      : WeightedGradientSums<false>(records, pParams, pF, pDecay);
}

// This file's copies of the batch loops, for the table of its instruction set;
// a constant, so that no table waits for another file's initialisation.
static constexpr STABILITYKERNELS Kernels() {
    return {&Values, &SquareSum, &GradientSums};
}

} // namespace stabilityterms

// The batch loops compiled for AVX2 and for AVX-512 (x86-64 builds only);
// StabilityModel.cpp chooses among them and its own baseline table at run
// time.
extern const STABILITYKERNELS g_StabilityKernelsAvx2;
extern const STABILITYKERNELS g_StabilityKernelsAvx512;
