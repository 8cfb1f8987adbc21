#include "evaluation/FitNotes.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/ModelFitBounds.h"
#include "infra/CNumber.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

// Missing images beyond this share of the span leave a recording whose
// times rest on a fifth of guesswork about when the missing images were due.
constexpr double kGapShareNote = 0.2;
// The report names at most this many outlier images (one line).
constexpr std::size_t kNamedOutliers = 6;

bool AtUpperBound(double dValue, double dUpper) {
    return dUpper > 0.0 && std::fabs(dValue) >= dUpper * (1.0 - kAtBoundFraction);
}

// "1,840": image numbers as the user reads them.
std::string Grouped(std::int32_t value) {
    const std::string digits = FormatC("%d", value);
    const std::size_t sign = digits[0] == '-' ? 1 : 0;
    std::string grouped = digits.substr(0, sign);
    for (std::size_t at = sign; at < digits.size(); ++at) {
        if (at > sign && (digits.size() - at) % 3 == 0)
            grouped += ',';
        grouped += digits[at];
    }
    return grouped;
}

// The share of the span that is missing and the longest run of missing
// images, in images.
void MissingImages(const std::vector<A1SAMPLE>& samples, double& share, std::int64_t& longest) {
    share = 0.0;
    longest = 0;
    if (samples.size() < 2)
        return;
    std::int64_t missing = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const std::int64_t gap =
            static_cast<std::int64_t>(samples[i].nImage) - samples[i - 1].nImage - 1;
        if (gap > 0) {
            missing += gap;
            longest = std::max(longest, gap);
        }
    }
    const std::int64_t span =
        static_cast<std::int64_t>(samples.back().nImage) - samples.front().nImage + 1;
    share = span > 0 ? static_cast<double>(missing) / static_cast<double>(span) : 0.0;
}

// The notes on the series itself: missing images, outliers, a walk that
// changed, and the rule of the original method when it was asked for.
void AppendSeriesNotes(const CA1TimeSeries& series, std::vector<std::string>& notes) {
    // An evaluation takes at least ten samples per record: fewer samples than
    // records cannot have given the function (a series put together with a
    // function of its own), and say nothing about it.
    if (series.m_Samples.size() <= series.m_CFuncData.size())
        return;
    double share = 0.0;
    std::int64_t longest = 0;
    MissingImages(series.m_Samples, share, longest);
    if (series.m_bOutliersExcluded) {
        // the excluded images are missing by choice; the note counts the
        // recording's own gaps
        share -= static_cast<double>(series.m_OutlierImages.size()) /
                 static_cast<double>(series.m_Samples.size() + series.m_OutlierImages.size());
    }
    if (share > kGapShareNote)
        notes.emplace_back(FormatC("Images missing: %.0f %% of the span; times and pairs bridge "
                                   "the gaps.",
                                   100.0 * share));
    const std::int32_t longestSpan = series.m_CFuncData.back().nImage;
    if (longest > longestSpan)
        notes.emplace_back("A gap of " + Grouped(static_cast<std::int32_t>(longest)) +
                           " images is longer than the longest time span evaluated.");
    if (!series.m_OutlierImages.empty()) {
        std::string list;
        for (std::size_t i = 0; i < series.m_OutlierImages.size() && i < kNamedOutliers; ++i)
            list += (i == 0 ? "" : ", ") + Grouped(series.m_OutlierImages[i]);
        if (series.m_OutlierImages.size() > kNamedOutliers)
            list += ", ...";
        notes.emplace_back(
            FormatC("%d outliers ", static_cast<int>(series.m_OutlierImages.size())) +
            (series.m_bOutliersExcluded ? "left out" : "kept") + ": images " + list + ".");
    }
    const WALKCHANGE& change = series.m_WalkChange;
    if (change.bChanged)
        notes.emplace_back("The random walk changed near image " + Grouped(change.nChangeImage) +
                           FormatC(" (Di %.2G \u2192 %.2G nm); the lifetime describes neither "
                                   "part.",
                                   change.dDiBefore, change.dDiAfter));
    if (series.m_eGapPairs == GapPairRule::Adjacent)
        notes.emplace_back("Pairs across missing images left out, as the original method does.");
}

} // namespace

std::vector<std::string> FitNotes(const CA1TimeSeries& series) {
    std::vector<std::string> notes;
    if (!series.HasCharFunction())
        return notes;
    AppendSeriesNotes(series, notes);
    if (series.m_nModelState != 1)
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
