// The stability model's batch loops compiled for AVX-512; called only on a
// processor that has it.
#include "evaluation/StabilityModelTerms.h"

void StabilityModelValuesAvx512(const double* pK, std::size_t n, const double* pParams,
                                double* pF) {
    stabilityterms::Values(pK, n, pParams, pF);
}

void StabilityModelValuesAndGradientsAvx512(const double* pK, std::size_t n, const double* pParams,
                                            double* pF, double* pDi, double* pDa, double* pTc,
                                            double* pS) {
    stabilityterms::ValuesAndGradients(pK, n, pParams, pF, pDi, pDa, pTc, pS);
}
