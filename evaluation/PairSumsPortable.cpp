// The kernel of every processor other than x86-64, in plain C++: two doubles
// per register and no fused multiply-add, the lanes summed in the SSE2
// kernel's order, so that a result has the same bits on every processor. The
// compiler is free to map the lanes onto the processor's own vectors.
#include "evaluation/PairSumKernelBody.h"

namespace {

struct PORTABLE {
    struct Reg {
        double lane[2];
    };
    static constexpr std::size_t kLanes = 2;
    // as in the SSE2 kernel: 8 sums and 4 shifts
    static constexpr int kDistances = 2;
    static Reg Zero() { return {{0.0, 0.0}}; }
    static Reg Broadcast(double v) { return {{v, v}}; }
    static Reg Load(const double* p) { return {{p[0], p[1]}}; }
    static Reg Add(Reg a, Reg b) { return {{a.lane[0] + b.lane[0], a.lane[1] + b.lane[1]}}; }
    static Reg Sub(Reg a, Reg b) { return {{a.lane[0] - b.lane[0], a.lane[1] - b.lane[1]}}; }
    static Reg Mul(Reg a, Reg b) { return {{a.lane[0] * b.lane[0], a.lane[1] * b.lane[1]}}; }
    // a product and a sum, rounded one after the other (-ffp-contract=off)
    static Reg MulAdd(Reg a, Reg b, Reg c) { return Add(Mul(a, b), c); }
    static double Sum(Reg v) { return v.lane[0] + v.lane[1]; }
};

} // namespace

void AccumulatePairSumsPortable(const PAIRSUMSJOB& job) {
    pairsums::AccumulatePairSums<PORTABLE>(job);
}
