#pragma once

#include <bit>
#include <cstdint>
#include <limits>

// e^x in plain double arithmetic, within about one unit in the last place.
// The library's exp is a call that no compiler vectorises; this one is
// inline and branch-free, so a loop over the records of the fit runs several
// of them at once, and its scalar and vector forms give the same bits (the
// file that uses it must be compiled without floating-point contraction).
// Internal linkage: files compiled for wider instruction sets include it too,
// and the linker must not hand their copy to a caller on any processor.
//
// Method (Cody and Waite; Tang): x = n ln2 + r with |r| <= ln2 / 2, the
// Taylor polynomial of degree 13 for e^r (truncation below 1e-17), and 2^n
// put into the exponent bits.
static inline double ModelExp(double x) {
    // below: the result would be subnormal and is taken as 0; above: it
    // overflows. Both bounds keep 2^n a normal number.
    constexpr double kLowest = -708.0;
    constexpr double kHighest = 709.0;
    // adding 1.5 * 2^52 rounds to an integer held in the low mantissa bits
    constexpr double kShifter = 0x1.8p52;
    constexpr double kLog2E = 1.4426950408889634;
    // ln 2 split so that n * kLn2High is exact for every n used here
    constexpr double kLn2High = 6.93147180369123816490e-01;
    constexpr double kLn2Low = 1.90821492927058770002e-10;
    // a NaN fails both comparisons and runs through as a NaN
    const double clamped = x < kLowest ? kLowest : (x > kHighest ? kHighest : x);
    const double t = clamped * kLog2E + kShifter;
    const double n = t - kShifter;
    const double r = (clamped - n * kLn2High) - n * kLn2Low;
    double p = 1.0 / 6227020800.0; // 1/13!
    p = p * r + 1.0 / 479001600.0;
    p = p * r + 1.0 / 39916800.0;
    p = p * r + 1.0 / 3628800.0;
    p = p * r + 1.0 / 362880.0;
    p = p * r + 1.0 / 40320.0;
    p = p * r + 1.0 / 5040.0;
    p = p * r + 1.0 / 720.0;
    p = p * r + 1.0 / 120.0;
    p = p * r + 1.0 / 24.0;
    p = p * r + 1.0 / 6.0;
    p = p * r + 0.5;
    p = p * r + 1.0;
    p = p * r + 1.0;
    // the low bits of t hold n; shifted into the exponent field with its bias
    const std::uint64_t scaleBits = (std::bit_cast<std::uint64_t>(t) + 1023u) << 52;
    const double result = p * std::bit_cast<double>(scaleBits);
    return x < kLowest ? 0.0 : (x > kHighest ? std::numeric_limits<double>::infinity() : result);
}
