// Compiled with -mavx2 -mfma: four doubles per register; called only on a
// processor that has both.
#include "evaluation/PairSumKernelBody.h"

#include <immintrin.h>

namespace {

struct AVX2 {
    using Reg = __m256d;
    static constexpr std::size_t kLanes = 4;
    // two distances keep 8 sums and 4 shifts in the 16 registers
    static constexpr int kDistances = 2;
    static Reg Zero() { return _mm256_setzero_pd(); }
    static Reg Broadcast(double v) { return _mm256_set1_pd(v); }
    static Reg Load(const double* p) { return _mm256_loadu_pd(p); }
    static Reg Add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm256_sub_pd(a, b); }
    static Reg Mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
    static Reg MulAdd(Reg a, Reg b, Reg c) { return _mm256_fmadd_pd(a, b, c); }
    static double Sum(Reg v) {
        const __m128d half = _mm_add_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
        return _mm_cvtsd_f64(_mm_add_sd(half, _mm_unpackhi_pd(half, half)));
    }
};

} // namespace

void AccumulatePairSumsAvx2(const PAIRSUMSJOB& job) {
    pairsums::AccumulatePairSums<AVX2>(job);
}
