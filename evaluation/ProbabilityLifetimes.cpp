#include "data/CA1TimeSeries.h"
#include "evaluation/ProbabilityModel.h"

#include <algorithm>

namespace {

// Shared by the full model and its random-walk part, which differ only in the
// drift.
double LifetimeSeconds(const CA1TimeSeries& series, double dTolerance, double dProbability,
                       bool bWithDrift) {
    if (series.m_nCFuncState <= 0 || series.m_nModelState <= 0)
        return 0.0;
    const double p = std::clamp(dProbability, 0.0, 1.0);
    const ModelParameters params{series.m_dModelDi, series.m_dModelDa, series.m_dModelTc,
                                 bWithDrift ? series.m_dModelS : 0.0};
    return ProbabilityLifetime(dTolerance * dTolerance, p, params) * series.m_dPeriod;
}

} // namespace

double CA1TimeSeries::GetProbabilityLifetime(double dTolerance, double dProbability) const {
    return LifetimeSeconds(*this, dTolerance, dProbability, true);
}

double CA1TimeSeries::GetRandomWalkProbabilityLifetime(double dTolerance,
                                                       double dProbability) const {
    return LifetimeSeconds(*this, dTolerance, dProbability, false);
}
