// Compiled with -mavx512f -mfma: eight doubles per register; called only on a
// processor that has AVX-512F.
#include "evaluation/PairSumKernelBody.h"

#include <immintrin.h>

namespace {

struct AVX512 {
    using Reg = __m512d;
    static constexpr std::size_t kLanes = 8;
    // four distances keep 16 sums and 8 shifts in the 32 registers
    static constexpr int kDistances = 4;
    static Reg Zero() { return _mm512_setzero_pd(); }
    static Reg Broadcast(double v) { return _mm512_set1_pd(v); }
    static Reg Load(const double* p) { return _mm512_loadu_pd(p); }
    static Reg Add(Reg a, Reg b) { return _mm512_add_pd(a, b); }
    static Reg Sub(Reg a, Reg b) { return _mm512_sub_pd(a, b); }
    static Reg Mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
    static Reg MulAdd(Reg a, Reg b, Reg c) { return _mm512_fmadd_pd(a, b, c); }
    // through memory: GCC 12 warns about the undefined upper half inside
    // _mm512_reduce_add_pd, and the sum is outside the hot loop anyway
    static double Sum(Reg v) {
        double lanes[kLanes];
        _mm512_storeu_pd(lanes, v);
        return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) +
               ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
    }
};

} // namespace

void AccumulatePairSumsAvx512(const PAIRSUMSJOB& job) {
    pairsums::AccumulatePairSums<AVX512>(job);
}
