#include "evaluation/StabilityModel.h"

#include "evaluation/ModelExp.h"

namespace {

// The one definition of each term, shared by the single and the batch forms
// so that both give the same bits.
inline double Decay(double k, double tc) {
    return ModelExp(-k / tc);
}

inline double Value(double k, const double* p, double decay) {
    return p[3] * p[3] * k * k + 2.0 * k * (p[0] * p[0] + p[1] * p[1] * decay);
}

inline void Gradient(double k, const double* p, double decay, double& dDi, double& dDa, double& dTc,
                     double& dS) {
    dDi = 4.0 * p[0] * k;
    dDa = 4.0 * p[1] * k * decay;
    // As tc goes to 0 the decay vanishes faster than (k/tc)^2 grows, so the
    // derivative tends to 0; written out it would be 0 * inf, not a number,
    // which would stall every minimisation that touches tc = 0.
    dTc = decay == 0.0 ? 0.0 : 2.0 * p[1] * p[1] * decay * (k / p[2]) * (k / p[2]);
    dS = 2.0 * p[3] * k * k;
}

} // namespace

double StabilityModelValue(const double* pK, const std::int32_t* /*pnParams*/,
                           const double* pParams) {
    return Value(*pK, pParams, Decay(*pK, pParams[2]));
}

void StabilityModelGradient(const double* pK, const std::int32_t* /*pnParams*/,
                            const double* pParams, double* pGradient) {
    Gradient(*pK, pParams, Decay(*pK, pParams[2]), pGradient[0], pGradient[1], pGradient[2],
             pGradient[3]);
}

void StabilityModelValues(const double* __restrict pK, std::size_t n, const double* pParams,
                          double* __restrict pF) {
    const double p[4] = {pParams[0], pParams[1], pParams[2], pParams[3]};
    for (std::size_t i = 0; i < n; ++i)
        pF[i] = Value(pK[i], p, Decay(pK[i], p[2]));
}

void StabilityModelValuesAndGradients(const double* __restrict pK, std::size_t n,
                                      const double* pParams, double* __restrict pF,
                                      double* __restrict pDi, double* __restrict pDa,
                                      double* __restrict pTc, double* __restrict pS) {
    const double p[4] = {pParams[0], pParams[1], pParams[2], pParams[3]};
    for (std::size_t i = 0; i < n; ++i) {
        const double k = pK[i];
        const double decay = Decay(k, p[2]);
        double dDi = 0.0, dDa = 0.0, dTc = 0.0, dS = 0.0;
        Gradient(k, p, decay, dDi, dDa, dTc, dS);
        pF[i] = Value(k, p, decay);
        pDi[i] = dDi;
        pDa[i] = dDa;
        pTc[i] = dTc;
        pS[i] = dS;
    }
}
