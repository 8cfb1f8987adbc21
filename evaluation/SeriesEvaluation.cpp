#include "evaluation/SeriesEvaluation.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/AstigmatismTolerance.h"
#include "infra/CMainParameters.h"

namespace {

double ToleranceOf(const EVALUATIONINPUTS& inputs) {
    return AstigmatismTolerance(inputs.dEnergykV, inputs.dResolutionAng, inputs.dLimitPhase);
}

} // namespace

EVALUATIONINPUTS EvaluationInputsFrom(const CMainParameters& params) {
    return {params.MinDiversity, params.ElEnergykV, params.TargetResAng, params.LimitPhase};
}

void StoreEvaluationInputs(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs) {
    series.m_dLimitPhase = inputs.dLimitPhase;
    series.m_dElEnergy = inputs.dEnergykV;
    series.m_dTargetRes = inputs.dResolutionAng;
}

bool EvaluateCharFunctionAndLifetime(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs) {
    series.EvaluateCharFunction(inputs.nMinDiversity);
    if (!series.HasCharFunction())
        return false;
    series.EvaluateLifetime(ToleranceOf(inputs));
    StoreEvaluationInputs(series, inputs);
    return true;
}

bool FitModelAndLifetime(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs,
                         std::optional<std::uint32_t> nSeed) {
    const double dTolerance = ToleranceOf(inputs);
    series.EvaluateLifetime(dTolerance);
    series.FitModel(nSeed);
    series.EvaluateModelLifetime(dTolerance);
    StoreEvaluationInputs(series, inputs);
    return series.HasModel();
}

void RefreshLifetimes(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs) {
    const double dTolerance = ToleranceOf(inputs);
    series.EvaluateLifetime(dTolerance);
    series.EvaluateModelLifetime(dTolerance);
    StoreEvaluationInputs(series, inputs);
}

bool EvaluateSeries(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs, bool bFit,
                    std::optional<std::uint32_t> nSeed) {
    if (!EvaluateCharFunctionAndLifetime(series, inputs))
        return false;
    if (bFit)
        FitModelAndLifetime(series, inputs, nSeed);
    return true;
}
