// Compiled for the x86-64 baseline: two doubles per register, no fused
// multiply-add.
#include "evaluation/PairSumKernelBody.h"

#include <emmintrin.h>

namespace {

struct SSE2 {
    using Reg = __m128d;
    static constexpr std::size_t kLanes = 2;
    // two distances keep 8 sums and 4 shifts in the 16 registers
    static constexpr int kDistances = 2;
    static Reg Zero() { return _mm_setzero_pd(); }
    static Reg Broadcast(double v) { return _mm_set1_pd(v); }
    static Reg Load(const double* p) { return _mm_loadu_pd(p); }
    static Reg Add(Reg a, Reg b) { return _mm_add_pd(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm_sub_pd(a, b); }
    static Reg Mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
    static Reg MulAdd(Reg a, Reg b, Reg c) { return _mm_add_pd(_mm_mul_pd(a, b), c); }
    static double Sum(Reg v) { return _mm_cvtsd_f64(_mm_add_sd(v, _mm_unpackhi_pd(v, v))); }
};

} // namespace

void AccumulatePairSumsSse2(const PAIRSUMSJOB& job) {
    pairsums::AccumulatePairSums<SSE2>(job);
}
