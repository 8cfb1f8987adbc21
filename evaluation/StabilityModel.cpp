#include "evaluation/StabilityModel.h"

#include "evaluation/PairSumKernels.h"
#include "evaluation/StabilityModelTerms.h"

// Every form below takes its terms from StabilityModelTerms.h, so the fit,
// the lifetime search, the probability model and the diagrams agree on one
// value to the bit.
double ModelSqrDiffusion(const ModelParameters& params, double k) {
    return stabilityterms::SqrDiffusion(params.data(), stabilityterms::Decay(k, params[kModelTc]));
}

double ModelFunction(const ModelParameters& params, double k) {
    return stabilityterms::Value(k, params.data(), stabilityterms::Decay(k, params[kModelTc]));
}

double StabilityModelValue(const double* pK, const std::int32_t* /*pnParams*/,
                           const double* pParams) {
    return stabilityterms::Value(*pK, pParams, stabilityterms::Decay(*pK, pParams[kModelTc]));
}

void StabilityModelGradient(const double* pK, const std::int32_t* /*pnParams*/,
                            const double* pParams, double* pGradient) {
    stabilityterms::Gradient(*pK, pParams, stabilityterms::Decay(*pK, pParams[kModelTc]),
                             pGradient[0], pGradient[1], pGradient[2], pGradient[3]);
}

namespace {

// The batch loops follow the instruction set that the characteristic
// function uses; every one of them gives the same bits. The portable build
// has the baseline table alone.
const STABILITYKERNELS& ChosenKernels() {
    static constexpr STABILITYKERNELS baseline = stabilityterms::Kernels();
#ifndef TESSARIC_PORTABLE_KERNELS
    switch (ChosenCharKernel()) {
    case CharKernel::Avx512:
        return g_StabilityKernelsAvx512;
    case CharKernel::Avx2:
        return g_StabilityKernelsAvx2;
    case CharKernel::Sse2:
    case CharKernel::Portable:
        break;
    }
#endif
    return baseline;
}

} // namespace

void StabilityModelValues(const double* pK, std::size_t n, const double* pParams, double* pF,
                          double* pDecay) {
    ChosenKernels().values(pK, n, pParams, pF, pDecay);
}

double StabilityModelSquareSum(const FITRECORDS& records, const double* pF) {
    return ChosenKernels().squareSum(records, pF);
}

std::array<double, 4> StabilityModelGradientSums(const FITRECORDS& records, const double* pParams,
                                                 const double* pF, const double* pDecay) {
    return ChosenKernels().gradientSums(records, pParams, pF, pDecay);
}
