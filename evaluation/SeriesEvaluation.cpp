#include "evaluation/SeriesEvaluation.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/AstigmatismTolerance.h"
#include "evaluation/WalkChangeTest.h"
#include "infra/CMainParameters.h"
#include "infra/CNumber.h"
#include "report/ExportCurves.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

double ToleranceOf(const EVALUATIONINPUTS& inputs) {
    return AstigmatismTolerance(inputs.dEnergykV, inputs.dResolutionAng, inputs.dLimitPhase);
}

// Before the model lifetime, whose records close the evaluation in the log:
// the curve is ready when they appear (SeriesWholeIntervalCurve keeps it).
void PrepareWholeIntervalCurve(const CA1TimeSeries& series, const EVALUATIONINPUTS& inputs) {
    if (inputs.bWholeInterval && series.HasModel())
        SeriesWholeIntervalCurve(series);
}

bool FitWithModelLifetime(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs, double dTolerance,
                          std::optional<std::uint32_t> nSeed, const EVALUATIONPROGRESS& progress) {
    const MODELFITSUMMARY fit = series.FitModel(nSeed, progress.fit, progress.pAbort);
    if (IsAborted(progress.pAbort))
        return false;
    PrepareWholeIntervalCurve(series, inputs);
    series.EvaluateModelLifetime(dTolerance);
    StoreEvaluationInputs(series, inputs);
    return fit.bFitted;
}

// The log names at most this many images of a check; the rest are counted.
constexpr std::size_t kNamedImages = 20;

std::string ImageList(const std::vector<std::int32_t>& images) {
    std::string list;
    for (std::size_t i = 0; i < images.size() && i < kNamedImages; ++i)
        list += (i == 0 ? "" : ", ") + FormatC("%d", images[i]);
    if (images.size() > kNamedImages)
        list += FormatC(" and %d more", static_cast<int>(images.size() - kNamedImages));
    return list;
}

void CheckWalkChange(CA1TimeSeries& series, std::int32_t nWindow) {
    series.m_WalkChange = TestWalkChange(series.m_Samples, nWindow);
    const WALKCHANGE& change = series.m_WalkChange;
    if (!change.bTested) {
        series.LogDebug("Walk change test: too few windows of " +
                        FormatC("%d images.", change.nWindow));
        return;
    }
    if (!change.bChanged) {
        series.LogDebug(FormatC("Walk change test: no change over %d windows of %d images "
                                "(p = %.3G).",
                                static_cast<int>(change.windows.size()), change.nWindow,
                                change.dSignificance));
        return;
    }
    series.LogMessage(FormatC("Warning: The random walk changed near image %d (Di %.2G -> %.2G "
                              "nm, p = %.2G, windows of %d images).",
                              change.nChangeImage, change.dDiBefore, change.dDiAfter,
                              change.dSignificance, change.nWindow));
}

} // namespace

void CheckOutliers(CA1TimeSeries& series, OutlierChoice choice) {
    if (choice == OutlierChoice::Keep || series.m_bOutliersExcluded)
        return;
    const std::vector<std::size_t> positions = FindOutliers(series.m_Samples);
    series.m_OutlierImages.clear();
    for (std::size_t position : positions)
        series.m_OutlierImages.push_back(series.m_Samples[position].nImage);
    if (positions.empty())
        return;
    const int count = static_cast<int>(positions.size());
    if (choice == OutlierChoice::Exclude) {
        series.m_Samples = WithoutSamples(series.m_Samples, positions);
        series.m_bOutliersExcluded = true;
        series.LogMessage(FormatC("Warning: %d outlier samples left out of the evaluation as "
                                  "missing images: ",
                                  count) +
                          ImageList(series.m_OutlierImages) + ".");
    } else {
        series.LogMessage(FormatC("Warning: %d samples look like outliers (out and back in one "
                                  "step), evaluated as they are: images ",
                                  count) +
                          ImageList(series.m_OutlierImages) + ".");
    }
}

bool ReextractSeries(CA1TimeSeries& series, std::int32_t nMirrorY, double dRotDeg,
                     bool bExcludeOutliers) {
    if (!series.Reextract(nMirrorY, dRotDeg))
        return false;
    // flagged at once, so that the page can mark them before any evaluation
    CheckOutliers(series, bExcludeOutliers ? OutlierChoice::Exclude : OutlierChoice::Flag);
    return true;
}

EVALUATIONINPUTS EvaluationInputsFrom(const CMainParameters& params) {
    return {params.MinDiversity, params.ElEnergykV, params.TargetResAng, params.LimitPhase, true};
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
    CheckOutliers(series, inputs.eOutliers);
    series.EvaluateCharFunction(inputs.nMinDiversity, progress.charFunction, progress.pAbort,
                                inputs.eGapPairs);
    if (IsAborted(progress.pAbort) || !series.HasCharFunction())
        return false;
    CheckWalkChange(series, inputs.nChangeWindow);
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
    PrepareWholeIntervalCurve(series, inputs);
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
