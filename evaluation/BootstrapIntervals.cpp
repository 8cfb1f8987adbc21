#include "evaluation/BootstrapIntervals.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

double NormalCdf(double z) {
    return 0.5 * std::erfc(-z / std::numbers::sqrt2);
}

// The normal quantile by bisection of the distribution function: a handful
// of calls per interval, so plainness wins over a rational approximation.
// 200 halvings of [-40, 40] reach the resolution of a double.
double NormalQuantile(double p) {
    double low = -40.0;
    double high = 40.0;
    for (int i = 0; i < 200 && low < high; ++i) {
        const double middle = 0.5 * (low + high);
        if (middle == low || middle == high)
            break;
        (NormalCdf(middle) < p ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

// BCa's percentile for the nominal probability alpha (Efron 1987, eq. 2.3):
// Phi(z0 + (z0 + z_alpha) / (1 - a (z0 + z_alpha))).
double AdjustedProbability(double z0, double acceleration, double alpha) {
    const double z = z0 + NormalQuantile(alpha);
    const double denominator = 1.0 - acceleration * z;
    // Beyond the pole the formula has no meaning; the edge then goes to the
    // end of the replicates it was moving toward.
    if (denominator <= 0.0)
        return z > 0.0 ? 1.0 : 0.0;
    return NormalCdf(z0 + z / denominator);
}

BOOTSTRAPINTERVAL PercentileInterval(const std::vector<double>& sorted, double lower,
                                     double upper) {
    return {ConfidencePercentile(sorted, lower), ConfidencePercentile(sorted, upper)};
}

} // namespace

double ConfidencePercentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty())
        return kNotANumber;
    const double rank = std::ceil(p * static_cast<double>(sorted.size()));
    const auto index = static_cast<std::size_t>(std::max(rank, 1.0)) - 1;
    return sorted[std::min(index, sorted.size() - 1)];
}

BOOTSTRAPINTERVAL BootstrapInterval(BootstrapIntervalMethod method,
                                    const std::vector<double>& sorted, double dEstimate,
                                    double dAcceleration) {
    const BOOTSTRAPINTERVAL percentile =
        PercentileInterval(sorted, kConfidenceLowerProbability, kConfidenceUpperProbability);
    if (sorted.empty() || method == BootstrapIntervalMethod::Percentile)
        return percentile;
    if (method == BootstrapIntervalMethod::Basic) {
        // An unbounded estimate has no reflection; the percentile interval
        // is then the only one.
        if (!std::isfinite(dEstimate))
            return percentile;
        // Every quantity here is a strength, a time or a speed: a reflected
        // edge below 0 (or one reflected from an unbounded replicate) is 0.
        const double lower = 2.0 * dEstimate - percentile.dUpper;
        return {std::isnan(lower) ? 0.0 : std::max(lower, 0.0),
                2.0 * dEstimate - percentile.dLower};
    }
    const auto n = static_cast<double>(sorted.size());
    const auto below = static_cast<double>(
        std::lower_bound(sorted.begin(), sorted.end(), dEstimate) - sorted.begin());
    const auto ties =
        static_cast<double>(std::upper_bound(sorted.begin(), sorted.end(), dEstimate) -
                            std::lower_bound(sorted.begin(), sorted.end(), dEstimate));
    // The bias correction z0 from the share of replicates below the
    // estimate, ties counted half; kept half a replicate inside (0, 1) so
    // that an estimate beyond every replicate gives a finite shift.
    const double share = std::clamp((below + 0.5 * ties) / n, 0.5 / n, 1.0 - 0.5 / n);
    const double z0 = NormalQuantile(share);
    const double acceleration = std::isfinite(dAcceleration) ? dAcceleration : 0.0;
    return PercentileInterval(sorted,
                              AdjustedProbability(z0, acceleration, kConfidenceLowerProbability),
                              AdjustedProbability(z0, acceleration, kConfidenceUpperProbability));
}

double JackknifeAcceleration(const std::vector<double>& values) {
    if (values.size() < 2 ||
        !std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); }))
        return 0.0;
    double mean = 0.0;
    for (double v : values)
        mean += v;
    mean /= static_cast<double>(values.size());
    double squares = 0.0;
    double cubes = 0.0;
    for (double v : values) {
        const double d = mean - v;
        squares += d * d;
        cubes += d * d * d;
    }
    if (!(squares > 0.0))
        return 0.0;
    return cubes / (6.0 * std::pow(squares, 1.5));
}
