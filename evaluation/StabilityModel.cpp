#include "evaluation/StabilityModel.h"

#include <cmath>

namespace {

double DecayFactor(const ModelParameters& params, double k) {
    const double tc = params[2];
    return tc > 0.0 ? std::exp(-k / tc) : 0.0;
}

} // namespace

double ModelSqrDiffusion(const ModelParameters& params, double k) {
    const auto [di, da, tc, s] = params;
    const double decaying = da == 0.0 ? 0.0 : da * da * DecayFactor(params, k);
    return di * di + decaying;
}

double ModelFunction(const ModelParameters& params, double k) {
    const double s = params[3];
    return s * s * k * k + 2.0 * k * ModelSqrDiffusion(params, k);
}

double StabilityModelValue(const double* pK, const std::int32_t* /*pnParams*/,
                           const double* pParams) {
    return ModelFunction({pParams[0], pParams[1], pParams[2], pParams[3]}, *pK);
}

void StabilityModelGradient(const double* pK, const std::int32_t* /*pnParams*/,
                            const double* pParams, double* pGradient) {
    const double k = *pK;
    const ModelParameters params = {pParams[0], pParams[1], pParams[2], pParams[3]};
    const auto [di, da, tc, s] = params;
    const double decay = DecayFactor(params, k);
    pGradient[0] = 4.0 * di * k;
    pGradient[1] = 4.0 * da * k * decay;
    // As tc goes to 0 the decay vanishes faster than (k/tc)^2 grows, so the
    // derivative tends to 0; written out it would be 0 * inf, not a number,
    // which would stall every minimisation that touches tc = 0.
    pGradient[2] = decay == 0.0 ? 0.0 : 2.0 * da * da * decay * (k / tc) * (k / tc);
    pGradient[3] = 2.0 * s * k * k;
}
