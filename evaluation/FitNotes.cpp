#include "evaluation/FitNotes.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/ModelFitBounds.h"
#include "infra/CNumber.h"

#include <cmath>

namespace {

// Di (or Da) below a thousandth of its upper bound adds at most a few
// millionths of the largest value of f: no such walk to speak of.
constexpr double kNearZeroFraction = 1e-3;
// A parameter within this relative distance of its bound sits on it: the
// minimisation ends there to rounding.
constexpr double kAtBoundFraction = 1e-6;
// Beyond five times the longest measured time span, the lifetime rests on
// the model's form rather than on the data.
constexpr double kMaxExtrapolation = 5.0;
// Fewer than twice the points the fit needs at least leave four parameters
// poorly determined.
constexpr std::size_t kFewRecords = 2 * kMinFitRecords;

bool AtUpperBound(double dValue, double dUpper) {
    return dUpper > 0.0 && std::fabs(dValue) >= dUpper * (1.0 - kAtBoundFraction);
}

} // namespace

std::vector<std::string> FitNotes(const CA1TimeSeries& series) {
    std::vector<std::string> notes;
    if (series.m_nModelState != 1 || series.m_CFuncData.empty())
        return notes;
    const FITBOUNDS bounds = ModelFitBounds(series);
    const double tmaxCF = series.m_CFuncData.back().nImage * series.m_dPeriod;

    if (series.m_dModelDi <= kNearZeroFraction * bounds.upper[kModelDi])
        notes.emplace_back("Di is near 0: a walk decaying with tc stands in; lifetime may be too "
                           "long.");
    else if (AtUpperBound(series.m_dModelDi, bounds.upper[kModelDi]))
        notes.emplace_back("Di is at the top of its range: the model misses the data; use with "
                           "care.");
    // without a decaying walk tc has nothing to describe
    const bool decaying = series.m_dModelDa > kNearZeroFraction * bounds.upper[kModelDa];
    if (decaying && AtUpperBound(series.m_dModelTc, bounds.dKt))
        notes.emplace_back("tc reaches the longest time span: the correlation time is not "
                           "measured.");
    if (AtUpperBound(series.m_dModelDa, bounds.upper[kModelDa]))
        notes.emplace_back("Da is at the top of its range: the initial rise of f(t) is not "
                           "described.");
    if (AtUpperBound(series.m_dModelS, bounds.upper[kModelS]))
        notes.emplace_back("s is at the top of its range: the drift is not described well.");

    if (series.m_nModelLifetimeState == kModelLifetimeUnbounded) {
        notes.emplace_back("The model never reaches the tolerance: no lifetime can be "
                           "confirmed.");
    } else if (series.m_nModelLifetimeState == kModelLifetimeFound && tmaxCF > 0.0 &&
               series.m_dModelLifetime > kMaxExtrapolation * tmaxCF) {
        notes.emplace_back(
            FormatC("Lifetime is %.3G x the longest time span: an extrapolation; record "
                    "longer.",
                    series.m_dModelLifetime / tmaxCF));
    }
    if (series.m_CFuncData.size() < kFewRecords)
        notes.emplace_back(
            FormatC("Only %d points carry the fit of 4 parameters: record twice as many "
                    "images.",
                    static_cast<int>(series.m_CFuncData.size())));
    return notes;
}
