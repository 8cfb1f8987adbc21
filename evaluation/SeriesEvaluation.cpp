#include "evaluation/SeriesEvaluation.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/AstigmatismTolerance.h"
#include "infra/CMainParameters.h"

#include <cmath>

namespace {

double ToleranceOf(const EVALUATIONINPUTS& inputs) {
    return AstigmatismTolerance(inputs.dEnergykV, inputs.dResolutionAng, inputs.dLimitPhase);
}

bool FitWithModelLifetime(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs, double dTolerance,
                          std::optional<std::uint32_t> nSeed, const EVALUATIONPROGRESS& progress) {
    const MODELFITSUMMARY fit = series.FitModel(nSeed, progress.fit, progress.pAbort);
    if (IsAborted(progress.pAbort))
        return false;
    series.EvaluateModelLifetime(dTolerance);
    StoreEvaluationInputs(series, inputs);
    return fit.bFitted;
}

} // namespace

EVALUATIONINPUTS EvaluationInputsFrom(const CMainParameters& params) {
    return {params.MinDiversity, params.ElEnergykV, params.TargetResAng, params.LimitPhase};
}

bool IsUsableEnergyOrResolution(double dValue) {
    return std::isfinite(dValue) && dValue > 0.0;
}

void StoreEvaluationInputs(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs) {
    series.m_dLimitPhase = inputs.dLimitPhase;
    series.m_dElEnergy = inputs.dEnergykV;
    series.m_dTargetRes = inputs.dResolutionAng;
}

bool EvaluateCharFunctionAndLifetime(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs,
                                     const EVALUATIONPROGRESS& progress) {
    series.EvaluateCharFunction(inputs.nMinDiversity, progress.charFunction, progress.pAbort);
    if (IsAborted(progress.pAbort) || !series.HasCharFunction())
        return false;
    series.EvaluateLifetime(ToleranceOf(inputs));
    StoreEvaluationInputs(series, inputs);
    return true;
}

bool FitModelAndLifetime(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs,
                         std::optional<std::uint32_t> nSeed, const EVALUATIONPROGRESS& progress) {
    const double dTolerance = ToleranceOf(inputs);
    series.EvaluateLifetime(dTolerance);
    return FitWithModelLifetime(series, inputs, dTolerance, nSeed, progress);
}

void RefreshLifetimes(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs) {
    const double dTolerance = ToleranceOf(inputs);
    series.EvaluateLifetime(dTolerance);
    series.EvaluateModelLifetime(dTolerance);
    StoreEvaluationInputs(series, inputs);
}

bool EvaluateSeries(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs, bool bFit,
                    std::optional<std::uint32_t> nSeed, const EVALUATIONPROGRESS& progress) {
    if (!EvaluateCharFunctionAndLifetime(series, inputs, progress))
        return false;
    // The direct lifetime for this tolerance was just evaluated; evaluating
    // it again before the fit would only repeat its log records.
    if (bFit)
        FitWithModelLifetime(series, inputs, ToleranceOf(inputs), nSeed, progress);
    return true;
}
