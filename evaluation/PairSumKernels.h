#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// The inner loop of the characteristic function: for every distance k of a
// range, the sums of e = q - K and e^2 over the squared differences
// q = (v[i + k] - v[i])^2 of one gap-free run of samples, where K is a shift
// near the mean of q chosen per distance. Accumulating around K instead of 0
// lets one pass give both the mean and the variance without the cancellation
// of the plain sum of squares.
//
// The same loop is compiled for three instruction sets and chosen at run
// time, so one x86-64 program uses what the machine offers. A build for any
// other processor (or with TESSARIC_PORTABLE_KERNELS) has the portable kernel
// alone, which gives the bits of the SSE2 one.

struct SHIFTEDSUMS {
    double dSumX = 0.0;   // sum of (q_x - K_x)
    double dSumSqX = 0.0; // sum of (q_x - K_x)^2
    double dSumY = 0.0;
    double dSumSqY = 0.0;
};

// One call's work: the positions [nBegin, nEnd) of a run of nLength samples
// (only positions whose partner i + k still lies inside the run count) and
// the distances [nFirstK, nEndK). Shifts and sums are indexed by the distance;
// the sums are added to. With a mask the run is the image grid of a series
// with missing images: pMask holds 1 where an image is present and 0 at a
// hole (whose x and y must be finite), and a pair counts with the product of
// its two weights. A pair with a hole thus adds exactly 0, and the present
// pairs give the bits that the same sums over them alone would give.
struct PAIRSUMSJOB {
    const double* pX = nullptr;
    const double* pY = nullptr;
    std::size_t nLength = 0;
    std::size_t nBegin = 0;
    std::size_t nEnd = 0;
    std::int32_t nFirstK = 0;
    std::int32_t nEndK = 0;
    const double* pShiftX = nullptr;
    const double* pShiftY = nullptr;
    SHIFTEDSUMS* pSums = nullptr;
    const double* pMask = nullptr;
};

enum class CharKernel { Sse2, Avx2, Avx512, Portable };

// Every kernel that a build may have, for tests and benchmarks that try each
// one; IsCharKernelSupported says which this build and processor run.
inline constexpr CharKernel kEveryCharKernel[] = {CharKernel::Sse2, CharKernel::Avx2,
                                                  CharKernel::Avx512, CharKernel::Portable};

using PairSumKernel = void (*)(const PAIRSUMSJOB& job);

void AccumulatePairSumsSse2(const PAIRSUMSJOB& job);
void AccumulatePairSumsAvx2(const PAIRSUMSJOB& job);
void AccumulatePairSumsAvx512(const PAIRSUMSJOB& job);
void AccumulatePairSumsPortable(const PAIRSUMSJOB& job);

// True when this build has the kernel and this processor can run it.
bool IsCharKernelSupported(CharKernel kernel);
// The kernel whose bits every build and processor share: SSE2 on x86-64,
// the portable one elsewhere. The wider kernels' fused multiply-add changes
// the last bits, and so whatever depends on them, such as which restart of
// the fit comes out lowest.
CharKernel BaselineCharKernel();
// The widest supported kernel, or the forced one. The fit's loops over the
// model follow the same choice.
CharKernel ChosenCharKernel();
PairSumKernel CharKernelFunction(CharKernel kernel);
const char* CharKernelName(CharKernel kernel);
// Test and benchmark seam: every later evaluation uses this kernel (it must
// be supported); nullopt returns to the run-time choice.
void ForceCharKernel(std::optional<CharKernel> kernel);
