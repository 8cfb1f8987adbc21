#pragma once

#include "data/A1Types.h"

#include <cstdint>

// Stands for an unbounded time (or squared amplitude): the largest double
// divided by 1000, so that the conversion to seconds (periods below 1000 s)
// still fits.
inline constexpr double VLARGE = 1.7976931348623156e+305;

// The probabilities one standard deviation below and above the mean of a
// normal distribution, printed as "16 %" and "84 %": the edges of the model
// band and, as probabilities of staying within the tolerance, the upper and
// lower lifetime limits. The median lies between them.
inline constexpr double kLowerBandProbability = 0.158655;
inline constexpr double kUpperBandProbability = 0.841345;
inline constexpr double kMedianProbability = 0.5;

double BesselI0(double x);
double BesselI(std::int32_t n, double x); // 0 for n < 0
// Noncentral chi-square distribution with two degrees of freedom, in [0, 1].
double NoncentralChi2Cdf(double x, double lambda);
// P(a, k): probability that |A22(t + k) - A22(t)| stays below a, a2 = a^2.
double StabilityProbability(double a2, double k, const ModelParameters& params);
// a^2 with P(a, k) = p.
double SqrAmplitudeQuantile(double k, double p, const ModelParameters& params);
// Image steps after which P(a, k) has fallen to p.
double ProbabilityLifetime(double a2, double p, const ModelParameters& params);
