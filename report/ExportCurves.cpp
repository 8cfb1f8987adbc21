#include "report/ExportCurves.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/StabilityModel.h"

#include <cmath>

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

double ModelCurveLifetime(const CA1TimeSeries& series) {
    if (!IsUnboundedTime(series.m_dModelLifetime, series.m_dPeriod))
        return series.m_dModelLifetime;
    double tmin = 0.0, tmax = 0.0, fmin = 0.0, fmax = 0.0;
    series.GetCFuncRange(tmin, tmax, fmin, fmax);
    return tmax;
}

MODELPOINT ModelCurvePoint(const CA1TimeSeries& series, int i) {
    MODELPOINT point;
    if (i <= 0)
        return point;
    const ModelParameters model = series.GetModelParameters();
    point.dTime = i * CurveStep(ModelCurveLifetime(series) * kModelCurveReach);
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

double ProbabilityTableEnd(const CA1TimeSeries& series) {
    const double a2 = series.m_dTolerance * series.m_dTolerance;
    const double steps = ProbabilityLifetime(a2, kTableEndProbability, series.GetModelParameters());
    // A probability that never falls to 5 % would stretch the axis to the
    // largest time the program knows, rows of hundreds of digits: the axis
    // then ends where the binary file's does.
    if (steps >= VLARGE || !std::isfinite(steps))
        return kProbabilityDataReach * ModelCurveLifetime(series);
    return steps * series.m_dPeriod;
}

double ProbabilityTableStep(const CA1TimeSeries& series) {
    return CurveStep(ProbabilityTableEnd(series));
}

double ProbabilityDataStep(const CA1TimeSeries& series) {
    return CurveStep(kProbabilityDataReach * ModelCurveLifetime(series));
}

WHOLEINTERVALCURVE SeriesWholeIntervalCurve(const CA1TimeSeries& series) {
    const char* missing = !series.HasModel()      ? "the series has no fitted model"
                          : !series.HasTimeBase() ? "the recording has no time base"
                                                  : nullptr;
    if (missing) {
        WHOLEINTERVALCURVE none;
        none.strProblem = missing;
        return none;
    }
    return WholeIntervalCurve(series.m_dTolerance, ProbabilityTableEnd(series) / series.m_dPeriod,
                              series.GetModelParameters());
}
