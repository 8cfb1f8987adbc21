#include "evaluation/ProbabilityModel.h"

#include "evaluation/MachineEpsilon.h"
#include "evaluation/StabilityModel.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numbers>
#include <span>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// --- modified Bessel functions -------------------------------------------------

// Abramowitz and Stegun 9.8.1 to 9.8.4 as published. Their error bounds (1.6e-7,
// 1.9e-7, 8e-9 and 2.2e-7 on the polynomials) stay below 5e-7 relative to the
// function everywhere. The power series serves below the published split,
// the asymptotic form above it.
constexpr double kBesselSplit = 3.75;
constexpr double kI0Small[] = {1.0,       3.5156229, 3.0899424, 1.2067492,
                               0.2659732, 0.0360768, 0.0045813};
constexpr double kI0Large[] = {0.39894228,  0.01328592, 0.00225319,  -0.00157565, 0.00916281,
                               -0.02057706, 0.02635537, -0.01647633, 0.00392377};
constexpr double kI1Small[] = {0.5,        0.87890594, 0.51498869, 0.15084934,
                               0.02658733, 0.00301532, 0.00032411};
constexpr double kI1Large[] = {0.39894228, -0.03988024, -0.00362018, 0.00163801, -0.01031555,
                               0.02282967, -0.02895312, 0.01787654,  -0.00420059};

double Polynomial(std::span<const double> coefficients, double t) {
    double sum = 0.0;
    for (auto it = coefficients.rbegin(); it != coefficients.rend(); ++it)
        sum = sum * t + *it;
    return sum;
}

// I0 or I1 at ax = |x| >= 0 as factor * exp(exponent). Above the split the
// factor e^ax / sqrt(ax) goes into the exponent, so that arguments beyond 709,
// where e^ax alone overflows but the function does not, stay finite.
struct ScaledValue {
    double factor;
    double exponent;
};

ScaledValue BesselI01(int order, double ax) {
    if (ax < kBesselSplit) {
        const double t = (ax / kBesselSplit) * (ax / kBesselSplit);
        return order == 0 ? ScaledValue{Polynomial(kI0Small, t), 0.0}
                          : ScaledValue{ax * Polynomial(kI1Small, t), 0.0};
    }
    const double t = kBesselSplit / ax;
    return {Polynomial(order == 0 ? std::span<const double>(kI0Large) : kI1Large, t),
            ax - 0.5 * std::log(ax)};
}

double Evaluate(ScaledValue value) {
    return value.factor * std::exp(value.exponent);
}

// Start of the downward recurrence for orders up to `top` at argument z. The
// classic start 2 (n + floor(sqrt(40 n))) is accurate while z is small against
// n, but stays below the argument for large z (it gives I_2(95) 4e-4 too
// large). There the weight of the discarded, growing solution at order n is
// about exp(-(N^2 - n^2) / z); N^2 >= n^2 + 80 z keeps it below e^-80, and ten
// more orders cover small z, where the estimate is rough.
int RecurrenceStart(int top, double z) {
    const int classic = 2 * (top + static_cast<int>(std::sqrt(40.0 * top)));
    const int forArgument =
        static_cast<int>(std::ceil(std::sqrt(double(top) * top + 80.0 * z))) + 10;
    return std::max(classic, forArgument);
}

// Ratios I_j(z) / I_(j-1)(z) for j = 1 .. top into ratios[j - 1], z > 0. The
// downward recurrence I_(j-1) = I_(j+1) + (2j / z) I_j, started with
// I_(N+1) / I_N = 0, written for the ratios: they lie in (0, 1), so unlike the
// recurrence of the values themselves nothing can overflow and no rescaling
// is needed.
void BesselRatios(double z, int top, std::vector<double>& ratios) {
    ratios.resize(static_cast<std::size_t>(top));
    const double twoOverZ = 2.0 / z;
    double ratio = 0.0;
    for (int j = RecurrenceStart(top, z); j >= 1; --j) {
        ratio = 1.0 / (j * twoOverZ + ratio);
        if (j <= top)
            ratios[static_cast<std::size_t>(j - 1)] = ratio;
    }
}

// Beyond these the recurrence would get long; the uniform expansion below is
// then accurate to better than 1e-12 (its first neglected term is of the order
// 1 / n^4, or 1 / x^4 for small orders).
constexpr int kRecurrenceMaxOrder = 1000;
constexpr double kRecurrenceMaxArgument = 1e4;

// ln I_n(ax) by the uniform asymptotic expansion of Abramowitz and Stegun
// 9.7.7 with the polynomials u1 to u3 of 9.3.9 and 9.3.10.
double LogBesselIUniform(int n, double ax) {
    const double nu = n;
    const double t = ax / nu;
    const double root = std::hypot(1.0, t);
    const double p = 1.0 / root;
    const double p2 = p * p;
    const double u1 = p * (3.0 - 5.0 * p2) / 24.0;
    const double u2 = p2 * (81.0 + p2 * (-462.0 + p2 * 385.0)) / 1152.0;
    const double u3 =
        p * p2 * (30375.0 + p2 * (-369603.0 + p2 * (765765.0 - p2 * 425425.0))) / 414720.0;
    const double eta = root + std::log(t / (1.0 + root));
    const double series = 1.0 + (u1 + (u2 + u3 / nu) / nu) / nu;
    return nu * eta - 0.5 * std::log(2.0 * std::numbers::pi * nu) - 0.5 * std::log(root) +
           std::log(series);
}

// --- noncentral chi-square distribution ------------------------------------------

// Below this noncentrality (alpha = sqrt(lambda)) the central formula is used:
// the difference is at most lambda / (2e) < 2e-7.
constexpr double kCentralAlpha = 0.001;
// sqrt(x) more than 8 above sqrt(lambda): 1 - F is below the normal tail
// beyond 8 standard deviations, 6e-16.
constexpr double kBeyondAbove = 8.0;
// sqrt(x) more than sqrt(80) below sqrt(lambda): F < exp(-(alpha - beta)^2 / 2)
// / 2 < 3e-18. Without it a huge lambda would make an endless Bessel series.
const double kBeyondBelow = std::sqrt(80.0);
// Above this z = alpha * beta the Bessel series needs thousands of terms, while
// the large-argument form is accurate to 1e-11 already at z = 1e5.
constexpr double kSeriesMaxArgument = 1e5;

// F by the Bessel series of the Marcum Q function: with c = exp(-(a^2 + b^2)/2),
//   b > a:  F = 1 - c * sum_(m >= 0) (a / b)^m I_m(a b)
//   b <= a: F = c * sum_(m >= 1) (b / a)^m I_m(a b).
// c underflows for a^2 + b^2 > 1490 while the sums overflow, although the
// product is a probability; so c * e^z = exp(-(a - b)^2 / 2) is taken in one
// and the sums use the scaled terms e^-z I_m(z). The ratio sweep gives those up
// to a common factor, which the identity e^-z (I_0 + 2 sum_(m >= 1) I_m) = 1
// fixes to machine precision (normalising by the polynomial I0 would pass its
// 5e-7 error into F).
double MarcumSeries(double alpha, double beta) {
    const double z = alpha * beta;
    const bool above = beta > alpha;
    const double rho = above ? alpha / beta : beta / alpha;
    // e^-z I_m(z) / e^-z I_0(z) is about exp(-m^2 / (2 z)): beyond sqrt(80 z)
    // below e^-40, and no term there changes the sum or its normalisation.
    const int terms = static_cast<int>(std::ceil(std::sqrt(80.0 * z))) + 20;
    thread_local std::vector<double> ratios;
    BesselRatios(z, terms, ratios);

    double unscaled = 1.0; // I_m / I_0
    double norm = 1.0;     // (I_0 + 2 sum I_m) / I_0
    double term = 1.0;     // rho^m I_m / I_0
    double sum = above ? 1.0 : 0.0;
    bool summing = true;
    for (int m = 1; m <= terms && unscaled > 0.0; ++m) {
        const double ratio = ratios[static_cast<std::size_t>(m - 1)];
        unscaled *= ratio;
        norm += 2.0 * unscaled;
        if (summing) {
            term *= rho * ratio;
            sum += term;
            // The first term that no longer changes the sum ends it; the terms
            // fall monotonically, so the rest cannot either.
            summing = term > kEpsilon * sum;
        }
    }
    const double tail = std::exp(-0.5 * (alpha - beta) * (alpha - beta)) * sum / norm;
    return std::clamp(above ? 1.0 - tail : tail, 0.0, 1.0);
}

// For large a b: F is the probability that |a e + N| <= b for a unit vector e
// and a 2-D standard normal N = (N1, N2). With d = b - a,
//   F = Phi(d) - phi(d) (1 / (2b) + 3d / (8b^2) + (1 + 5d^2) / (16 b^3)) + O(b^-4),
// from sqrt(b^2 - N2^2) = b - N2^2 / (2b) - N2^4 / (8b^3) - ..., a Taylor
// expansion of Phi and the normal moments of N2. Against SciPy its error falls
// as b^-4: 1.5e-9 at lambda = 1e4, 1.5e-11 at 1e5.
double MarcumLargeArgument(double alpha, double beta) {
    const double d = beta - alpha;
    const double cdf = 0.5 * std::erfc(-d / std::numbers::sqrt2);
    const double pdf = std::exp(-0.5 * d * d) / std::sqrt(2.0 * std::numbers::pi);
    const double correction = 1.0 / (2.0 * beta) + 3.0 * d / (8.0 * beta * beta) +
                              (1.0 + 5.0 * d * d) / (16.0 * beta * beta * beta);
    return std::clamp(cdf - pdf * correction, 0.0, 1.0);
}

// --- the model ----------------------------------------------------------------------

// Spread of one component after k steps, sigma^2 = D(k)^2 k, and the
// noncentrality lambda = (s k)^2 / sigma^2.
struct StepSpread {
    double variance;
    double lambda;
    double drift2; // (s k)^2
};

bool HasNaN(const ModelParameters& params) {
    return std::any_of(params.begin(), params.end(), [](double v) { return std::isnan(v); });
}

StepSpread SpreadAfter(double k, const ModelParameters& params) {
    const double s = params[kModelS];
    const double d2 = ModelSqrDiffusion(params, k);
    return {d2 * k, s * s * k / d2, s * s * k * k};
}

// Without a random walk (sigma = 0, or so small against the drift that lambda
// overflows) the change is the drift alone, exactly s k long; the noncentral
// distribution tends to that step as sigma -> 0.
bool IsDeterministic(const StepSpread& spread) {
    return !(spread.variance > 0.0) || std::isinf(spread.lambda);
}

// Bisection searches halve their bracket once one is found; before that they
// double or halve from the start, which crosses the whole double range in
// about 2100 steps. The bound is therefore never reached by a search that
// converges; if it is, the search returns its current point.
constexpr int kMaxSearchSteps = 4096;
// A point whose probability lies this close to the target is the answer: ten
// times finer than the accuracy of F itself.
constexpr double kProbabilityTolerance = 1e-7;
// A bracket narrower than 1000 (quantile) or 100 (lifetime) rounding units:
// further halving only chases rounding noise of F.
constexpr double kQuantileRelativeStep = 2.220446049250313e-13;
constexpr double kLifetimeRelativeStep = 2.220446049250313e-14;
// Lifetimes are typically tens of image steps; doubling or halving reaches
// any other in a few steps.
constexpr double kLifetimeStart = 20.0;

} // namespace

bool IsUnboundedTime(double dSeconds, double dPeriod) {
    if (!std::isfinite(dSeconds))
        return true;
    return dPeriod > 0.0 && dSeconds >= std::min(VLARGE * dPeriod, DBL_MAX);
}

double BesselI0(double x) {
    if (std::isnan(x))
        return x;
    if (std::isinf(x))
        return kInf;
    return Evaluate(BesselI01(0, std::fabs(x)));
}

double BesselI(std::int32_t n, double x) {
    if (n < 0)
        return 0.0;
    if (n == 0)
        return BesselI0(x);
    if (std::isnan(x))
        return x;
    if (x == 0.0)
        return 0.0;
    const bool negative = x < 0.0 && n % 2 == 1;
    const double ax = std::fabs(x);
    double value;
    if (std::isinf(x)) {
        value = kInf;
    } else if (n == 1) {
        value = Evaluate(BesselI01(1, ax));
    } else if (n > kRecurrenceMaxOrder || ax > kRecurrenceMaxArgument) {
        value = std::exp(LogBesselIUniform(n, ax));
    } else {
        // I_n = I_0 * prod of the ratios, normalised by I0 as published; summed
        // in logarithms because I_0 may exceed the double range where I_n does
        // not, and the product may underflow where I_n does not.
        thread_local std::vector<double> ratios;
        BesselRatios(ax, n, ratios);
        const ScaledValue i0 = BesselI01(0, ax);
        double logValue = i0.exponent + std::log(i0.factor);
        for (double ratio : ratios)
            logValue += std::log(ratio);
        value = std::exp(logValue);
    }
    return negative ? -value : value;
}

double NoncentralChi2Cdf(double x, double lambda) {
    if (std::isnan(x) || std::isnan(lambda))
        return kNaN;
    // A squared length is never negative.
    if (x <= 0.0)
        return 0.0;
    const double absLambda = std::fabs(lambda);
    if (std::isinf(x))
        return std::isinf(absLambda) ? kNaN : 1.0;
    if (std::isinf(absLambda))
        return 0.0;
    const double alpha = std::sqrt(absLambda);
    const double beta = std::sqrt(x);
    if (alpha <= kCentralAlpha)
        return -std::expm1(-0.5 * x);
    if (beta > alpha + kBeyondAbove)
        return 1.0;
    if (alpha - beta > kBeyondBelow)
        return 0.0;
    if (alpha * beta > kSeriesMaxArgument)
        return MarcumLargeArgument(alpha, beta);
    return MarcumSeries(alpha, beta);
}

double StabilityProbability(double a2, double k, const ModelParameters& params) {
    if (std::isnan(a2) || std::isnan(k) || HasNaN(params))
        return kNaN;
    // No time has passed (a negative span is read the same way).
    if (k <= 0.0)
        return 1.0;
    if (k > VLARGE)
        return 0.0;
    if (a2 <= 0.0)
        return 0.0;
    const StepSpread spread = SpreadAfter(k, params);
    if (IsDeterministic(spread))
        return spread.drift2 <= a2 ? 1.0 : 0.0;
    return NoncentralChi2Cdf(a2 / spread.variance, spread.lambda);
}

double SqrAmplitudeQuantile(double k, double p, const ModelParameters& params) {
    if (std::isnan(k) || std::isnan(p) || HasNaN(params))
        return kNaN;
    if (k <= 0.0 || p <= 0.0)
        return 0.0;
    // Every squared amplitude is exceeded with some probability: unbounded.
    if (p >= 1.0)
        return VLARGE;
    const StepSpread spread = SpreadAfter(k, params);
    if (IsDeterministic(spread))
        return spread.drift2;
    // In units of sigma^2, starting at the mean 2 + lambda; the lower end of the
    // bracket is 0, the upper one is unknown (0) until a point lies above p.
    double x = 2.0 + spread.lambda;
    double lower = 0.0;
    double upper = 0.0;
    for (int step = 0; step < kMaxSearchSteps; ++step) {
        const double m = NoncentralChi2Cdf(x, spread.lambda);
        if (std::fabs(m - p) <= kProbabilityTolerance)
            return x * spread.variance;
        double next;
        if (m < p) {
            next = upper > 0.0 ? 0.5 * (x + upper) : 2.0 * x;
            lower = x;
        } else {
            next = 0.5 * (x + lower);
            upper = x;
        }
        if (std::fabs(next - x) / next < kQuantileRelativeStep)
            return next * spread.variance;
        x = next;
    }
    return x * spread.variance;
}

double ProbabilityLifetime(double a2, double p, const ModelParameters& params) {
    if (std::isnan(a2) || std::isnan(p))
        return kNaN;
    if (p <= 0.0)
        return VLARGE;
    if (p >= 1.0 || a2 <= 0.0)
        return 0.0;
    double k = kLifetimeStart;
    double lower = 0.0;
    double upper = 0.0;
    for (int step = 0; step < kMaxSearchSteps; ++step) {
        const double m = StabilityProbability(a2, k, params);
        if (std::isnan(m))
            return kNaN;
        if (std::fabs(m - p) <= kProbabilityTolerance)
            return k;
        double next;
        if (m < p) { // k is past the lifetime
            next = 0.5 * (k + lower);
            upper = k;
        } else if (upper > 0.0) {
            next = 0.5 * (k + upper);
            lower = k;
        } else {
            next = 2.0 * k;
            lower = k;
            // The probability stays above p for every time the search can
            // express: the lifetime is unbounded.
            if (next > VLARGE)
                return VLARGE;
        }
        if (std::fabs(next - k) / next < kLifetimeRelativeStep)
            return next;
        k = next;
    }
    return k;
}
