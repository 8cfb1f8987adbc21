#include "evaluation/StabilityModel.h"

#include "evaluation/PairSumKernels.h"
#include "evaluation/StabilityModelTerms.h"

// Every form below takes its terms from StabilityModelTerms.h, so the fit,
// the lifetime search, the probability model and the diagrams agree on one
// value to the bit.
double ModelSqrDiffusion(const ModelParameters& params, double k) {
    return stabilityterms::SqrDiffusion(params.data(), stabilityterms::Decay(k, params[2]));
}

double ModelFunction(const ModelParameters& params, double k) {
    return stabilityterms::Value(k, params.data(), stabilityterms::Decay(k, params[2]));
}

double StabilityModelValue(const double* pK, const std::int32_t* /*pnParams*/,
                           const double* pParams) {
    return stabilityterms::Value(*pK, pParams, stabilityterms::Decay(*pK, pParams[2]));
}

void StabilityModelGradient(const double* pK, const std::int32_t* /*pnParams*/,
                            const double* pParams, double* pGradient) {
    stabilityterms::Gradient(*pK, pParams, stabilityterms::Decay(*pK, pParams[2]), pGradient[0],
                             pGradient[1], pGradient[2], pGradient[3]);
}

// The batch loops follow the instruction set that the characteristic
// function uses; every one of them gives the same bits. The portable build
// has the baseline form alone.
void StabilityModelValues(const double* pK, std::size_t n, const double* pParams, double* pF,
                          double* pDecay) {
#ifndef TESSARIC_PORTABLE_KERNELS
    switch (ChosenCharKernel()) {
    case CharKernel::Avx512:
        StabilityModelValuesAvx512(pK, n, pParams, pF, pDecay);
        return;
    case CharKernel::Avx2:
        StabilityModelValuesAvx2(pK, n, pParams, pF, pDecay);
        return;
    case CharKernel::Sse2:
    case CharKernel::Portable:
        break;
    }
#endif
    stabilityterms::Values(pK, n, pParams, pF, pDecay);
}

void StabilityModelGradients(const double* pK, std::size_t n, const double* pParams,
                             const double* pDecay, double* pDi, double* pDa, double* pTc,
                             double* pS) {
#ifndef TESSARIC_PORTABLE_KERNELS
    switch (ChosenCharKernel()) {
    case CharKernel::Avx512:
        StabilityModelGradientsAvx512(pK, n, pParams, pDecay, pDi, pDa, pTc, pS);
        return;
    case CharKernel::Avx2:
        StabilityModelGradientsAvx2(pK, n, pParams, pDecay, pDi, pDa, pTc, pS);
        return;
    case CharKernel::Sse2:
    case CharKernel::Portable:
        break;
    }
#endif
    stabilityterms::Gradients(pK, n, pParams, pDecay, pDi, pDa, pTc, pS);
}
