#pragma once

#include "infra/ProgressCallback.h"

#include <cstdint>
#include <optional>

class CA1TimeSeries;
class CMainParameters;

// What an evaluation of a series takes from the program parameters: the
// minimum diversity of the characteristic function and the three inputs of
// the astigmatism tolerance.
struct EVALUATIONINPUTS {
    std::int32_t nMinDiversity = 10;
    double dEnergykV = 300.0;
    double dResolutionAng = 1.0;
    double dLimitPhase = 0.25;
};

EVALUATIONINPUTS EvaluationInputsFrom(const CMainParameters& params);

// An electron energy or a target resolution that may become a program
// parameter: a positive finite number. Anything else gives no tolerance and
// would leave every later evaluation without a lifetime.
bool IsUsableEnergyOrResolution(double dValue);

// Where the two long steps of an evaluation report how far they are; each
// first reports 0 when it starts. Empty callbacks are not called. Once
// pAbort is set, the operation returns false soon; what it changed of the
// series by then is not a result (the window runs it on a copy).
struct EVALUATIONPROGRESS {
    ProgressCallback charFunction;
    ProgressCallback fit;
    const AbortFlag* pAbort = nullptr;
};

// The user operations on one series that the window's pages and the
// command-line program share, each in the order of its trigger. Every one
// that evaluates a lifetime stores the three tolerance inputs in the series
// afterwards, so that the report shows what gave the tolerance.

// "Charact. Function...": the characteristic function and, only when it
// succeeded, the tolerance with the direct lifetime. True when the series
// then has a characteristic function.
bool EvaluateCharFunctionAndLifetime(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs,
                                     const EVALUATIONPROGRESS& progress = {});

// "Fit Model": tolerance, direct lifetime, the fit, the model lifetime.
// Without a seed the fit's restarts follow the clock. True when this fit
// stored a model (a failed fit leaves an earlier one in place).
bool FitModelAndLifetime(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs,
                         std::optional<std::uint32_t> nSeed = std::nullopt,
                         const EVALUATIONPROGRESS& progress = {});

// "Refresh" after a new energy or resolution: the direct lifetime and (with
// a model) the model lifetime for the new tolerance; nothing is refitted.
void RefreshLifetimes(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs);

// The whole evaluation of a freshly imported series: characteristic
// function with its lifetime, then, when asked and possible, the fit with
// its lifetime. True when the series has a characteristic function.
bool EvaluateSeries(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs, bool bFit,
                    std::optional<std::uint32_t> nSeed = std::nullopt,
                    const EVALUATIONPROGRESS& progress = {});

void StoreEvaluationInputs(CA1TimeSeries& series, const EVALUATIONINPUTS& inputs);
