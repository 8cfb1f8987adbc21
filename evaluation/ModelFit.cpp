#include "data/CA1TimeSeries.h"
#include "evaluation/CFitModule.h"
#include "evaluation/CFitRandom.h"
#include "infra/CNumber.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <vector>

namespace {

// Four parameters need clearly more points than that to be fitted with any
// confidence.
constexpr std::size_t kMinRecords = 16;
// Gradient tolerance of each minimisation: 10 eps.
constexpr double kGradientTolerance = 2.220446049250313e-15;
// At most this many minimisations, and the restarts end early once the best
// result has been improved more often than kMaxImprovements.
constexpr int kMaxAttempts = 20;
constexpr int kMaxImprovements = 5;
// Start values: 45 % of the largest value is put down to the constant random
// walk and 10 % to the drift; the decaying walk starts with a correlation
// time of 9 image steps.
constexpr double kRandomWalkShare = 0.45;
constexpr double kDriftShare = 0.1;
constexpr double kStartTc = 9.0;

using Params = std::array<double, 4>;

struct FITDATA {
    std::vector<double> x, y, w;
};

} // namespace

void CA1TimeSeries::FitModel(std::optional<std::uint32_t> nSeed) {
    if (!HasCharFunction()) {
        LogMessage("ERROR: Model fit aborted: No evaluated characteristic function data.");
        return;
    }
    const std::size_t n = m_CFuncData.size();
    if (n < kMinRecords) {
        LogMessage(
            "ERROR: Model fit aborted: Insufficient number of characteristic function data.");
        return;
    }

    const double t0 = m_dPeriod;
    double fmax = m_CFuncData.front().dX + m_CFuncData.front().dY;
    double tmax = m_CFuncData.front().nImage * t0;
    std::int32_t kLargest = m_CFuncData.front().nImage;
    for (const A1SAMPLE& record : m_CFuncData) {
        fmax = std::max(fmax, record.dX + record.dY);
        tmax = std::max(tmax, record.nImage * t0);
        kLargest = std::max(kLargest, record.nImage);
    }
    // the largest distance; without a usable period it is the distance itself
    // rather than 0 / 0
    const double kt = (t0 > 0.0 && std::isfinite(t0)) ? tmax / t0 : static_cast<double>(kLargest);

    FITDATA data;
    try {
        data.x.resize(n);
        data.y.resize(n);
        data.w.resize(n);
    } catch (const std::bad_alloc&) {
        LogMessage("ERROR: Model fit aborted: Heap allocation failed.");
        return;
    }
    const double samples = static_cast<double>(m_Samples.size());
    for (std::size_t i = 0; i < n; ++i) {
        const A1SAMPLE& record = m_CFuncData[i];
        data.x[i] = static_cast<double>(record.nImage);
        data.y[i] = record.dX + record.dY;
        // More pairs make a record more reliable, more scatter of the squared
        // differences less; the pair count is taken from the record position.
        const double pairs = std::max(samples - 1.0 - static_cast<double>(i), 0.0);
        const double variance = record.dErrX + record.dErrY;
        data.w[i] = variance > 0.0 ? std::sqrt(pairs) / variance : std::sqrt(pairs);
    }

    CFitModule module;
    module.m_bWeighted = 1;
    module.RegisterData(static_cast<std::int32_t>(n), data.x.data(), data.y.data(), data.w.data());
    module.RegisterFunction();
    if (!module.IsSetUp()) {
        LogMessage("ERROR: Model fit aborted: Failed to initialize the fit module.");
        return;
    }

    const double g = kRandomWalkShare * fmax / kt;
    const Params start = {std::sqrt(g), std::sqrt(std::fabs(m_dCFuncSlope - g)), kStartTc,
                          std::sqrt(kDriftShare * fmax) / kt};
    // Di cannot explain more than the largest value over the largest
    // distance, Da not more than twice the initial slope, the drift not more
    // than twice the largest value; tc lies within the extracted range. The
    // slope enters as its magnitude: a negative initial slope (noise) would
    // otherwise give bounds, and random starts, that are not numbers.
    const double diLimit = std::sqrt(fmax / kt);
    const double daLimit = 2.0 * std::sqrt(std::fabs(m_dCFuncSlope));
    const double sLimit = 2.0 * std::sqrt(fmax) / kt;
    const Params lower = {-diLimit, -daLimit, 0.0, -sLimit};
    const Params upper = {diLimit, daLimit, kt, sLimit};
    for (std::size_t j = 0; j < 4; ++j) {
        module.m_pParams[j] = start[j];
        module.m_pBounds[2 * j] = lower[j];
        module.m_pBounds[2 * j + 1] = upper[j];
        module.m_pBounded[j] = 1;
    }
    LogMessage("Fitting model to the characteristic function ...");

    CFitRandom random(nSeed ? *nSeed : FitSeedNow());
    Params kept = start;
    double best = 0.0;
    module.GetSSquare(best);
    int attempts = 0;
    int improvements = 0;
    for (;;) {
        std::int32_t iterations = 0;
        const int result = module.Minimize(&iterations, kGradientTolerance);
        double reached = module.m_dSSquare;
        // After a round-off failure the module returns its start values but
        // keeps the s-square of a later point; judge the values it returns,
        // so that the kept parameters and their s-square always belong
        // together.
        if (result == CFitModule::RoundOff)
            module.GetSSquare(reached);
        ++attempts;
        if (best > 0.0) {
            if (reached < best) {
                ++improvements;
                std::copy(module.m_pParams.get(), module.m_pParams.get() + 4, kept.begin());
                best = reached;
            }
        } else if (std::isnan(best)) {
            // The start values gave no usable s-square: the first result that
            // has one is kept, not the start values.
            if (!std::isnan(reached))
                std::copy(module.m_pParams.get(), module.m_pParams.get() + 4, kept.begin());
            best = reached;
        }
        // A best s-square of 0 is an exact fit that no later start can beat:
        // it stays, together with its parameters.
        if (improvements > kMaxImprovements || attempts >= kMaxAttempts)
            break;
        for (std::size_t j = 0; j < 4; ++j)
            module.m_pParams[j] = lower[j] + (upper[j] - lower[j]) * random.NextFraction();
    }

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
        return;
    }

    m_dModelDi = std::fabs(kept[0]);
    m_dModelDa = std::fabs(kept[1]);
    m_dModelTc = kept[2];
    m_dModelS = std::fabs(kept[3]);
    m_dModelSSqr = unweighted;
    // the lifetime state described the earlier model
    m_nModelLifetimeState = 0;
    m_nModelState = 1;
    LogMessage(FormatC("- fit result: Di = %.3G nm, Da = %.3G nm, tc = %.3G s, s = %.3G nm, "
                       "s-sqr = %.3G",
                       m_dModelDi, m_dModelDa, m_dModelTc * t0, m_dModelS, m_dModelSSqr));
}
