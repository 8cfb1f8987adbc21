#include "evaluation/StabilityModel.h"

#include <cmath>

double StabilityModelValue(const double* pK, const std::int32_t* /*pnParams*/,
                           const double* pParams) {
    const double k = *pK;
    const double di = pParams[0];
    const double da = pParams[1];
    const double tc = pParams[2];
    const double s = pParams[3];
    return s * s * k * k + 2.0 * k * (di * di + da * da * std::exp(-k / tc));
}

void StabilityModelGradient(const double* pK, const std::int32_t* /*pnParams*/,
                            const double* pParams, double* pGradient) {
    const double k = *pK;
    const double di = pParams[0];
    const double da = pParams[1];
    const double tc = pParams[2];
    const double s = pParams[3];
    const double decay = std::exp(-k / tc);
    pGradient[0] = 4.0 * di * k;
    pGradient[1] = 4.0 * da * k * decay;
    // As tc goes to 0 the decay vanishes faster than (k/tc)^2 grows, so the
    // derivative tends to 0; written out it would be 0 * inf, not a number,
    // which would stall every minimisation that touches tc = 0.
    pGradient[2] = decay == 0.0 ? 0.0 : 2.0 * da * da * decay * (k / tc) * (k / tc);
    pGradient[3] = 2.0 * s * k * k;
}
