#include "report/ExportCurves.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/StabilityModel.h"

namespace {

// Where the probability table stops: P(a, t) has fallen to 5 %.
constexpr double kTableEndProbability = 0.05;
// The model curve runs a little beyond the model lifetime, so that its
// crossing of the tolerance lies inside the curve, not at its end.
constexpr double kModelCurveReach = 1.15;
// The binary probability curve runs to twice the model lifetime, far enough
// for P(a, t) to show most of its fall.
constexpr double kProbabilityDataReach = 2.0;

double CurveStep(double dEnd) {
    return dEnd / (kExportCurvePoints - 1);
}

} // namespace

MODELPOINT ModelCurvePoint(const CA1TimeSeries& series, int i) {
    MODELPOINT point;
    if (i <= 0)
        return point;
    const ModelParameters model = series.GetModelParameters();
    point.dTime = i * CurveStep(series.m_dModelLifetime * kModelCurveReach);
    const double k = point.dTime / series.m_dPeriod;
    point.dF = ModelFunction(model, k);
    point.dF16 = SqrAmplitudeQuantile(k, kLowerBandProbability, model);
    point.dF84 = SqrAmplitudeQuantile(k, kUpperBandProbability, model);
    return point;
}

PROBPOINT ProbabilityCurvePoint(const CA1TimeSeries& series, double dStep, int i) {
    PROBPOINT point;
    point.dTime = i * dStep;
    const double k = point.dTime / series.m_dPeriod;
    point.dProbability = StabilityProbability(series.m_dTolerance * series.m_dTolerance, k,
                                              series.GetModelParameters());
    return point;
}

double ProbabilityTableStep(const CA1TimeSeries& series) {
    const double a2 = series.m_dTolerance * series.m_dTolerance;
    const double steps = ProbabilityLifetime(a2, kTableEndProbability, series.GetModelParameters());
    return CurveStep(steps * series.m_dPeriod);
}

double ProbabilityDataStep(const CA1TimeSeries& series) {
    return CurveStep(kProbabilityDataReach * series.m_dModelLifetime);
}
