// The stability model's batch loops compiled for AVX2; called only on a
// processor that has it.
#include "evaluation/StabilityModelTerms.h"

void StabilityModelValuesAvx2(const double* pK, std::size_t n, const double* pParams, double* pF,
                              double* pDecay) {
    stabilityterms::Values(pK, n, pParams, pF, pDecay);
}

void StabilityModelGradientsAvx2(const double* pK, std::size_t n, const double* pParams,
                                 const double* pDecay, double* pDi, double* pDa, double* pTc,
                                 double* pS) {
    stabilityterms::Gradients(pK, n, pParams, pDecay, pDi, pDa, pTc, pS);
}
