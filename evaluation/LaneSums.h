#pragma once

#include <array>
#include <cstddef>

// Sums over the records of the fit in a fixed order of its own: record i goes
// into partial sum i mod kSumLanes, and the partial sums are added pairwise at
// the end. A single running sum makes every addition wait for the one before;
// eight independent partial sums fill the vector registers instead, and since
// the order depends on nothing but the record count, every machine and every
// instruction set gets the same bits.
inline constexpr std::size_t kSumLanes = 8;

// terms(i, t) writes the kSums terms of record i into t[0 .. kSums - 1].
// Internal linkage: files compiled for wider instruction sets include it too,
// and the linker must not hand their copy to a caller on any processor.
template <std::size_t kSums, class Terms>
static inline std::array<double, kSums> LaneSums(std::size_t n, const Terms& terms) {
    double lanes[kSums][kSumLanes] = {};
    double t[kSums] = {};
    std::size_t i = 0;
    for (; i + kSumLanes <= n; i += kSumLanes) {
        for (std::size_t lane = 0; lane < kSumLanes; ++lane) {
            terms(i + lane, t);
            for (std::size_t s = 0; s < kSums; ++s)
                lanes[s][lane] += t[s];
        }
    }
    for (std::size_t lane = 0; i + lane < n; ++lane) {
        terms(i + lane, t);
        for (std::size_t s = 0; s < kSums; ++s)
            lanes[s][lane] += t[s];
    }
    std::array<double, kSums> sums{};
    for (std::size_t s = 0; s < kSums; ++s) {
        const double* l = lanes[s];
        sums[s] = ((l[0] + l[1]) + (l[2] + l[3])) + ((l[4] + l[5]) + (l[6] + l[7]));
    }
    return sums;
}
