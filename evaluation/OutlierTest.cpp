#include "evaluation/OutlierTest.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// Measured by tests/validation/OutlierValidation.cpp on clean walks with
// drift and noise: see the README for the share flagged at this value.
const double kOutlierThreshold = 4.0;

namespace {

// 1.4826 MAD is the standard deviation of normally distributed values
// (Rousseeuw & Croux 1993, "Alternatives to the median absolute deviation").
constexpr double kMadToSpread = 1.4826;
// Fewer steps between neighbouring images than this give no stable median:
// the spread is then taken from every step.
constexpr std::size_t kMinNeighbourSteps = 10;

struct STEP {
    double dX = 0.0;
    double dY = 0.0;
    double dGapFactor = 1.0; // sqrt(images spanned)
};

struct SPREAD {
    double dMedianX = 0.0;
    double dMedianY = 0.0;
    double dSpreadX = 0.0;
    double dSpreadY = 0.0;
};

double Median(std::vector<double> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Median and spread of one component over the chosen steps.
void ComponentSpread(const std::vector<STEP>& steps, bool bNeighboursOnly, double STEP::*component,
                     double& median, double& spread) {
    std::vector<double> values;
    values.reserve(steps.size());
    for (const STEP& step : steps)
        if (!bNeighboursOnly || step.dGapFactor == 1.0)
            values.push_back(step.*component);
    median = Median(values);
    for (double& value : values)
        value = std::fabs(value - median);
    spread = kMadToSpread * Median(std::move(values));
}

SPREAD StepSpread(const std::vector<STEP>& steps) {
    const auto neighbours = static_cast<std::size_t>(std::count_if(
        steps.begin(), steps.end(), [](const STEP& step) { return step.dGapFactor == 1.0; }));
    const bool bNeighboursOnly = neighbours >= kMinNeighbourSteps;
    SPREAD spread;
    ComponentSpread(steps, bNeighboursOnly, &STEP::dX, spread.dMedianX, spread.dSpreadX);
    ComponentSpread(steps, bNeighboursOnly, &STEP::dY, spread.dMedianY, spread.dSpreadY);
    return spread;
}

// A step in robust spreads, drift (the median step) taken off. A component
// that does not vary at all (spread 0) says nothing and counts 0.
struct SCALEDSTEP {
    double dX = 0.0;
    double dY = 0.0;
    double Size() const { return std::hypot(dX, dY); }
};

SCALEDSTEP Scaled(const STEP& step, const SPREAD& spread) {
    SCALEDSTEP scaled;
    if (spread.dSpreadX > 0.0)
        scaled.dX = (step.dX - spread.dMedianX) / (spread.dSpreadX * step.dGapFactor);
    if (spread.dSpreadY > 0.0)
        scaled.dY = (step.dY - spread.dMedianY) / (spread.dSpreadY * step.dGapFactor);
    return scaled;
}

// Out and back: both steps large, the second against the first.
bool IsExcursion(const SCALEDSTEP& in, const SCALEDSTEP& out) {
    return in.Size() > kOutlierThreshold && out.Size() > kOutlierThreshold &&
           in.dX * out.dX + in.dY * out.dY < 0.0;
}

} // namespace

std::vector<std::size_t> FindOutliers(const std::vector<A1SAMPLE>& samples) {
    const std::size_t count = samples.size();
    // Three samples are the fewest that have a step in and a step out; the
    // spread needs a few more steps than that to mean anything.
    if (count < kMinNeighbourSteps)
        return {};
    std::vector<STEP> steps(count - 1);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const std::int64_t images =
            static_cast<std::int64_t>(samples[i + 1].nImage) - samples[i].nImage;
        steps[i].dX = samples[i + 1].dX - samples[i].dX;
        steps[i].dY = samples[i + 1].dY - samples[i].dY;
        // a backward or repeated number spans no time to speak of
        steps[i].dGapFactor = std::sqrt(static_cast<double>(std::max<std::int64_t>(images, 1)));
    }
    const SPREAD spread = StepSpread(steps);
    std::vector<SCALEDSTEP> scaled(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i)
        scaled[i] = Scaled(steps[i], spread);

    std::vector<bool> flagged(count, false);
    for (std::size_t i = 1; i + 1 < count; ++i) {
        // one sample out and back
        if (IsExcursion(scaled[i - 1], scaled[i]))
            flagged[i] = true;
        // two neighbours out and back together, the step between them small
        else if (i + 2 < count && scaled[i].Size() <= kOutlierThreshold &&
                 IsExcursion(scaled[i - 1], scaled[i + 1]))
            flagged[i] = flagged[i + 1] = true;
    }
    // An end sample has one step: a large one that the next step does not
    // carry further is a value alone at its level, which no walk explains.
    const std::size_t last = steps.size() - 1;
    if (scaled[0].Size() > kOutlierThreshold && scaled[1].Size() <= kOutlierThreshold)
        flagged[0] = true;
    if (scaled[last].Size() > kOutlierThreshold && scaled[last - 1].Size() <= kOutlierThreshold)
        flagged[count - 1] = true;

    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < count; ++i)
        if (flagged[i])
            positions.push_back(i);
    return positions;
}

std::vector<A1SAMPLE> WithoutSamples(const std::vector<A1SAMPLE>& samples,
                                     const std::vector<std::size_t>& positions) {
    std::vector<A1SAMPLE> kept;
    kept.reserve(samples.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (next < positions.size() && positions[next] == i) {
            ++next;
            continue;
        }
        kept.push_back(samples[i]);
    }
    return kept;
}
