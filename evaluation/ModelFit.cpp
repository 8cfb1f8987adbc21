#include "data/CA1TimeSeries.h"
#include "evaluation/CFitModule.h"
#include "evaluation/CFitRandom.h"
#include "evaluation/ModelFitBounds.h"
#include "evaluation/OrderedRuns.h"
#include "infra/CNumber.h"
#include "infra/ParallelFor.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <new>
#include <vector>

namespace {

// Gradient tolerance of each minimisation: 10 eps.
constexpr double kGradientTolerance = 2.220446049250313e-15;
// At most this many minimisations, and the restarts end early once the best
// result has been improved more often than kMaxImprovements.
constexpr std::size_t kMaxAttempts = 20;
constexpr int kMaxImprovements = 5;
// Start values: 45 % of the largest value is put down to the constant random
// walk and 10 % to the drift; the decaying walk starts with a correlation
// time of 9 image steps.
constexpr double kRandomWalkShare = 0.45;
constexpr double kDriftShare = 0.1;
constexpr double kStartTc = 9.0;
// A parameter that the data cannot fix (Di or Da at 0, tc without a decaying
// walk) leaves a valley that is flat to the s-square's last bit, along which
// a minimisation would creep to its iteration limit. A minimisation that
// still makes progress lowers the s-square at nearly every step; fifty steps
// in a row without any decrease are the flat valley, not a pause.
constexpr std::int32_t kStallIterations = 50;

using Params = ModelParameters;

struct FITDATA {
    std::vector<double> x, y, w;
};

struct ATTEMPT {
    Params params{};
    double dReached = 0.0;
    std::int32_t nIterations = 0;
};

// The records as the fit sees them: the distance, f, and a weight. False
// when there is no memory for them.
bool BuildFitData(const CA1TimeSeries& series, FITDATA& data) {
    const std::size_t n = series.m_CFuncData.size();
    try {
        data.x.resize(n);
        data.y.resize(n);
        data.w.resize(n);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const double samples = static_cast<double>(series.m_Samples.size());
    for (std::size_t i = 0; i < n; ++i) {
        const A1SAMPLE& record = series.m_CFuncData[i];
        data.x[i] = static_cast<double>(record.nImage);
        data.y[i] = record.dX + record.dY;
        // More pairs make a record more reliable, more scatter of the squared
        // differences less; the pair count is taken from the record position.
        const double pairs = std::max(samples - 1.0 - static_cast<double>(i), 0.0);
        const double variance = record.dErrX + record.dErrY;
        data.w[i] = variance > 0.0 ? std::sqrt(pairs) / variance : std::sqrt(pairs);
    }
    return true;
}

Params FixedStart(const CA1TimeSeries& series, const FITBOUNDS& bounds) {
    const double g = kRandomWalkShare * bounds.dFMax / bounds.dKt;
    Params start = {std::sqrt(g), std::sqrt(std::fabs(series.m_dCFuncSlope - g)), kStartTc,
                    std::sqrt(kDriftShare * bounds.dFMax) / bounds.dKt};
    // Da's start value can exceed its bound when the initial slope is small
    // against the share given to Di; the kept result must lie inside the
    // bounds even when no minimisation improves on the start.
    for (std::size_t j = 0; j < kModelSlots; ++j)
        start[j] = std::clamp(start[j], bounds.lower[j], bounds.upper[j]);
    return start;
}

// The random starts do not depend on any result, so all of them are known
// before the first minimisation; the minimisations can then run side by
// side, and are judged in their order as if one after the other.
std::array<Params, kMaxAttempts> FitStarts(const Params& start, const FITBOUNDS& bounds,
                                           std::uint32_t nSeed) {
    CFitRandom random(nSeed);
    std::array<Params, kMaxAttempts> starts;
    starts[0] = start;
    for (std::size_t attempt = 1; attempt < starts.size(); ++attempt)
        for (std::size_t j = 0; j < kModelSlots; ++j)
            starts[attempt][j] =
                bounds.lower[j] + (bounds.upper[j] - bounds.lower[j]) * random.NextFraction();
    return starts;
}

bool SetUpModule(CFitModule& fit, const FITDATA& data, const Params& start, const FITBOUNDS& bounds,
                 const Params& scales) {
    fit.m_bWeighted = 1;
    fit.m_nStallIterations = kStallIterations;
    fit.RegisterData(static_cast<std::int32_t>(data.x.size()), data.x.data(), data.y.data(),
                     data.w.data());
    fit.RegisterFunction();
    if (!fit.IsSetUp())
        return false;
    for (std::size_t j = 0; j < kModelSlots; ++j) {
        fit.m_pParams[j] = start[j];
        fit.m_pBounds[2 * j] = bounds.lower[j];
        fit.m_pBounds[2 * j + 1] = bounds.upper[j];
        fit.m_pBounded[j] = 1;
        fit.m_pScales[j] = scales[j];
    }
    return true;
}

// One minimisation from `from`. After a round-off failure the module returns
// its start values but keeps the s-square of a later point; the s-square is
// taken for the values it returns, so that the kept parameters and their
// s-square always belong together.
ATTEMPT MinimizeFrom(CFitModule& module, const Params& from) {
    std::copy(from.begin(), from.end(), module.m_pParams.get());
    ATTEMPT attempt;
    const int result = module.Minimize(&attempt.nIterations, kGradientTolerance);
    attempt.dReached = module.m_dSSquare;
    if (result == CFitModule::RoundOff)
        module.GetSSquare(attempt.dReached);
    std::copy(module.m_pParams.get(), module.m_pParams.get() + kModelSlots, attempt.params.begin());
    return attempt;
}

// Takes the minimisations' results in their order and keeps the best.
struct FITJUDGE {
    Params kept{};
    double dBest = 0.0;
    MODELFITSUMMARY summary;

    // True once more restarts would not pay.
    bool Take(const ATTEMPT& result) {
        ++summary.nMinimisations;
        summary.nIterations += result.nIterations;
        if (dBest > 0.0) {
            if (result.dReached < dBest) {
                ++summary.nImprovements;
                kept = result.params;
                dBest = result.dReached;
            }
        } else if (std::isnan(dBest)) {
            // The start values gave no usable s-square: the first result
            // that has one is kept, not the start values.
            if (!std::isnan(result.dReached))
                kept = result.params;
            dBest = result.dReached;
        }
        // A best s-square of 0 is an exact fit that no later start can
        // beat: it stays, together with its parameters.
        const bool enough = summary.nImprovements > kMaxImprovements;
        summary.stop = enough ? FitStop::EnoughImprovements : FitStop::AllStarts;
        return enough;
    }
};

// Minimises from every start, on a second module too where the processor
// has a second thread and the module can be set up, and judges the results
// in their order until the judge has enough.
template <typename SetUpPartner>
void JudgeAttempts(CFitModule& module, const SetUpPartner& setUpPartner,
                   const std::array<Params, kMaxAttempts>& starts, FITJUDGE& judge,
                   const ProgressCallback& progress, const AbortFlag* pCancel) {
    CFitModule partner;
    const std::size_t workers = WorkerCount() >= 2 && setUpPartner(partner) ? 2 : 1;
    std::array<CFitModule*, 2> modules = {&module, &partner};
    std::atomic<bool> abort{false};
    for (CFitModule* fit : modules) {
        fit->m_pAbort = &abort;
        fit->m_pCancel = pCancel;
    }
    std::array<ATTEMPT, kMaxAttempts> results;
    if (progress)
        progress(0.0);
    const auto run = [&](std::size_t attempt, std::size_t worker) {
        results[attempt] = MinimizeFrom(*modules[worker], starts[attempt]);
    };
    const auto take = [&](std::size_t attempt) {
        const bool enough = judge.Take(results[attempt]);
        if (progress)
            progress(static_cast<double>(attempt + 1) / static_cast<double>(kMaxAttempts));
        return enough || IsAborted(pCancel);
    };
    RunJobsInOrder(kMaxAttempts, workers, run, take, abort);
    module.m_pAbort = nullptr;
    module.m_pCancel = nullptr;
}

const char* StopText(FitStop stop) {
    switch (stop) {
    case FitStop::AllStarts:
        return "every start minimised";
    case FitStop::EnoughImprovements:
        return "enough improvements";
    case FitStop::NotRun:
        break;
    }
    return "not run";
}

} // namespace

MODELFITSUMMARY CA1TimeSeries::FitModel(std::optional<std::uint32_t> nSeed,
                                        const ProgressCallback& progress, const AbortFlag* pAbort) {
    if (!HasCharFunction()) {
        LogMessage("ERROR: Model fit aborted: No evaluated characteristic function data.");
        return {};
    }
    if (m_CFuncData.size() < kMinFitRecords) {
        LogMessage(
            "ERROR: Model fit aborted: Insufficient number of characteristic function data.");
        return {};
    }
    const FITBOUNDS bounds = ModelFitBounds(*this);
    FITDATA data;
    if (!BuildFitData(*this, data)) {
        LogMessage("ERROR: Model fit aborted: Heap allocation failed.");
        return {};
    }
    const Params start = FixedStart(*this, bounds);
    const Params scales = ModelFitScales(bounds);
    CFitModule module;
    if (!SetUpModule(module, data, start, bounds, scales)) {
        LogMessage("ERROR: Model fit aborted: Failed to initialize the fit module.");
        return {};
    }
    LogMessage("Fitting model to the characteristic function ...");

    const std::array<Params, kMaxAttempts> starts =
        FitStarts(start, bounds, nSeed ? *nSeed : FitSeedNow());
    FITJUDGE judge;
    judge.kept = start;
    module.GetSSquare(judge.dBest);
    JudgeAttempts(
        module,
        [&](CFitModule& partner) { return SetUpModule(partner, data, start, bounds, scales); },
        starts, judge, progress, pAbort);
    // a cancelled fit keeps the model it had; the caller logs the cancel
    if (IsAborted(pAbort))
        return {};
    const MODELFITSUMMARY summary = judge.summary;
    LogDebug(FormatC("Model fit: %d minimisations, %d iterations, %d improvements; ",
                     static_cast<int>(summary.nMinimisations), summary.nIterations,
                     summary.nImprovements) +
             StopText(summary.stop) + ".");

    const Params& kept = judge.kept;
    std::copy(kept.begin(), kept.end(), module.m_pParams.get());
    module.m_bWeighted = 0;
    double unweighted = 0.0;
    module.GetSSquare(unweighted);
    // A model that is not a number would print as "nan" in every lifetime.
    const bool finite =
        std::all_of(kept.begin(), kept.end(), [](double v) { return std::isfinite(v); }) &&
        std::isfinite(unweighted);
    if (!finite) {
        LogMessage("ERROR: Model fit failed: the fit gave values that are not numbers.");
        return summary;
    }

    m_dModelDi = std::fabs(kept[kModelDi]);
    m_dModelDa = std::fabs(kept[kModelDa]);
    m_dModelTc = kept[kModelTc];
    m_dModelS = std::fabs(kept[kModelS]);
    m_dModelSSqr = unweighted;
    // the lifetime state described the earlier model
    m_nModelLifetimeState = kModelLifetimeNone;
    m_nModelState = 1;
    MODELFITSUMMARY fitted = summary;
    fitted.bFitted = true;
    fitted.dSSquare = unweighted;
    LogMessage(FormatC("- fit result: Di = %.3G nm, Da = %.3G nm, tc = %.3G s, s = %.3G nm, "
                       "s-sqr = %.3G",
                       m_dModelDi, m_dModelDa, m_dModelTc * m_dPeriod, m_dModelS, m_dModelSSqr));
    return fitted;
}
