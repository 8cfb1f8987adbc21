#include "data/CA1TimeSeries.h"
#include "evaluation/ProbabilityModel.h"

#include <algorithm>

namespace {

// Shared by the full model and its random-walk part, which differ only in the
// drift.
double LifetimeSeconds(const CA1TimeSeries& series, double dTolerance, double dProbability,
                       bool bWithDrift) {
    if (!series.HasModel())
        return 0.0;
    const double p = std::clamp(dProbability, 0.0, 1.0);
    const ModelParameters params =
        bWithDrift ? series.GetModelParameters() : series.GetRandomWalkParameters();
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
