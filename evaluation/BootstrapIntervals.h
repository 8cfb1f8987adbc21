#pragma once

#include <vector>

// The ways of turning a quantity's bootstrap replicates into a 90 % interval
// (Efron and Tibshirani, "An Introduction to the Bootstrap", 1993, ch. 13,
// 14): the study of `make validate` measures which of them holds the truth
// nine times in ten.
enum class BootstrapIntervalMethod {
    Percentile, // the replicates' 5 % and 95 % points
    Basic,      // those points reflected about the estimate: 2 e - q95, 2 e - q5
    BCa,        // percentile points shifted for bias and skew (Efron, JASA 82, 1987)
};

// The interval's edges as probabilities: 5 % and 95 % give 90 %.
inline constexpr double kConfidenceLowerProbability = 0.05;
inline constexpr double kConfidenceUpperProbability = 0.95;

struct BOOTSTRAPINTERVAL {
    double dLower = 0.0; // not a number when there are no replicates
    double dUpper = 0.0;
};

// The interval of one quantity from its replicates (sorted, rising; infinite
// values allowed), the recording's own estimate and, for BCa, the
// acceleration (0 gives the bias-corrected percentile interval).
BOOTSTRAPINTERVAL BootstrapInterval(BootstrapIntervalMethod method,
                                    const std::vector<double>& sorted, double dEstimate,
                                    double dAcceleration);

// BCa's acceleration from leave-one-block-out values of the quantity
// (Efron 1987, eq. 6.6): a = sum d^3 / (6 (sum d^2)^1.5), d the jackknife
// mean minus each value. 0 when a value is not finite or all are equal.
double JackknifeAcceleration(const std::vector<double>& values);

// The value below which the fraction p of the sorted values lies, as the
// order statistic of rank ceil(p n) (no interpolation: an unbounded lifetime
// is never blended with a finite one). Not a number when empty.
double ConfidencePercentile(const std::vector<double>& sorted, double p);
