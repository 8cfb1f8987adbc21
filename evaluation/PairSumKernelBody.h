#pragma once

// The body of the pair-sum kernels, written once for a vector type V:
//   V::Reg, V::kLanes (doubles per register), V::kDistances (distances per
//   pass), V::Zero, V::Broadcast, V::Load (unaligned), V::Add, V::Sub, V::Mul,
//   V::MulAdd(a, b, c) = a * b + c, V::Sum (of the lanes).
// Each instruction-set file includes it with its own V defined in an
// unnamed namespace, so the instantiations stay local to the file compiled
// for that instruction set. For the same reason nothing from the standard
// library is instantiated here: an inline function compiled with wider
// instructions could otherwise be picked by the linker for every caller.
//
// The file must be compiled with -ffp-contract=off: q is rounded to double
// before K is subtracted, as in the plain two-pass evaluation, because a
// fused multiply-subtract changes the result at 1e-12.

#include "evaluation/PairSumKernels.h"

#include <cstddef>
#include <cstdint>

namespace pairsums {

// Positions per chunk: the samples at i and at i + k of one chunk (four
// streams of 16 KB) stay in the level-2 cache while every distance of the
// call passes over them.
constexpr std::size_t kChunkPositions = 2048;

// internal linkage, like the instantiations below
static inline std::size_t Smaller(std::size_t a, std::size_t b) {
    return a < b ? a : b;
}

// Distances k0 .. k0 + D - 1 over the positions [begin, end), all partners
// inside the run (k0 + D - 1 < job.nLength). The group shares the loads of
// x[i] and y[i], and every sum stays in a register until the end. Masked,
// each e is multiplied by the pair's weight (1 or 0, so exactly e or 0).
template <class V, int D, bool Masked>
inline void AccumulateGroup(const PAIRSUMSJOB& job, std::int32_t k0, std::size_t begin,
                            std::size_t end) {
    using Reg = typename V::Reg;
    const double* x = job.pX;
    const double* y = job.pY;
    const double* m = job.pMask;
    Reg sumX[D], sumSqX[D], sumY[D], sumSqY[D], shiftX[D], shiftY[D];
    for (int d = 0; d < D; ++d) {
        sumX[d] = sumSqX[d] = sumY[d] = sumSqY[d] = V::Zero();
        shiftX[d] = V::Broadcast(job.pShiftX[k0 + d]);
        shiftY[d] = V::Broadcast(job.pShiftY[k0 + d]);
    }
    // where the partner of the group's longest distance leaves the run
    const std::size_t commonEnd = Smaller(end, job.nLength - static_cast<std::size_t>(k0 + D - 1));
    std::size_t i = begin;
    for (; i + V::kLanes <= commonEnd; i += V::kLanes) {
        const Reg x0 = V::Load(x + i);
        const Reg y0 = V::Load(y + i);
        const Reg m0 = Masked ? V::Load(m + i) : V::Zero();
        for (int d = 0; d < D; ++d) {
            const std::size_t partner = i + static_cast<std::size_t>(k0 + d);
            const Reg dx = V::Sub(V::Load(x + partner), x0);
            const Reg dy = V::Sub(V::Load(y + partner), y0);
            Reg ex = V::Sub(V::Mul(dx, dx), shiftX[d]);
            Reg ey = V::Sub(V::Mul(dy, dy), shiftY[d]);
            if constexpr (Masked) {
                const Reg w = V::Mul(m0, V::Load(m + partner));
                ex = V::Mul(ex, w);
                ey = V::Mul(ey, w);
            }
            sumX[d] = V::Add(sumX[d], ex);
            sumY[d] = V::Add(sumY[d], ey);
            sumSqX[d] = V::MulAdd(ex, ex, sumSqX[d]);
            sumSqY[d] = V::MulAdd(ey, ey, sumSqY[d]);
        }
    }
    for (int d = 0; d < D; ++d) {
        const std::int32_t k = k0 + d;
        const std::size_t distance = static_cast<std::size_t>(k);
        double sx = V::Sum(sumX[d]);
        double sxx = V::Sum(sumSqX[d]);
        double sy = V::Sum(sumY[d]);
        double syy = V::Sum(sumSqY[d]);
        const double kx = job.pShiftX[k];
        const double ky = job.pShiftY[k];
        // the positions left over by the registers and by the longer
        // distances of the group
        const std::size_t last = Smaller(end, job.nLength - distance);
        for (std::size_t j = i; j < last; ++j) {
            const double dx = x[j + distance] - x[j];
            const double dy = y[j + distance] - y[j];
            double ex = dx * dx - kx;
            double ey = dy * dy - ky;
            if constexpr (Masked) {
                const double w = m[j] * m[j + distance];
                ex *= w;
                ey *= w;
            }
            sx += ex;
            sy += ey;
            sxx += ex * ex;
            syy += ey * ey;
        }
        SHIFTEDSUMS& sums = job.pSums[k];
        sums.dSumX += sx;
        sums.dSumSqX += sxx;
        sums.dSumY += sy;
        sums.dSumSqY += syy;
    }
}

template <class V, bool Masked> void AccumulateRun(const PAIRSUMSJOB& job) {
    if (job.nFirstK < 1)
        return;
    for (std::size_t begin = job.nBegin; begin < job.nEnd; begin += kChunkPositions) {
        const std::size_t end = Smaller(begin + kChunkPositions, job.nEnd);
        // a distance has pairs in this chunk while its partner of position
        // `begin` still lies inside the run
        if (job.nLength <= begin)
            break;
        const std::size_t reach = job.nLength - begin;
        const std::int32_t endK = static_cast<std::size_t>(job.nEndK) < reach
                                      ? job.nEndK
                                      : static_cast<std::int32_t>(reach);
        std::int32_t k = job.nFirstK;
        for (; k + V::kDistances <= endK; k += V::kDistances)
            AccumulateGroup<V, V::kDistances, Masked>(job, k, begin, end);
        for (; k < endK; ++k)
            AccumulateGroup<V, 1, Masked>(job, k, begin, end);
    }
}

// The unmasked loop stays free of the weights, so that a series without
// missing images keeps its bits and its speed.
template <class V> void AccumulatePairSums(const PAIRSUMSJOB& job) {
    if (job.pMask)
        AccumulateRun<V, true>(job);
    else
        AccumulateRun<V, false>(job);
}

} // namespace pairsums
