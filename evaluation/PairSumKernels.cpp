#include "evaluation/PairSumKernels.h"

#include <atomic>

namespace {

// -1: no kernel forced; otherwise the CharKernel value
std::atomic<int> g_nForcedKernel{-1};

} // namespace

#ifdef TESSARIC_PORTABLE_KERNELS

bool IsCharKernelSupported(CharKernel kernel) {
    return kernel == CharKernel::Portable;
}

CharKernel BaselineCharKernel() {
    return CharKernel::Portable;
}

namespace {

CharKernel WidestSupportedKernel() {
    return CharKernel::Portable;
}

} // namespace

PairSumKernel CharKernelFunction(CharKernel /*kernel*/) {
    return &AccumulatePairSumsPortable;
}

#else

bool IsCharKernelSupported(CharKernel kernel) {
    switch (kernel) {
    case CharKernel::Sse2:
        return true; // part of every x86-64 processor
    case CharKernel::Avx2:
        // the AVX2 kernel is compiled with fused multiply-add as well
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case CharKernel::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("fma");
    case CharKernel::Portable:
        break; // not built beside the x86-64 kernels
    }
    return false;
}

CharKernel BaselineCharKernel() {
    return CharKernel::Sse2;
}

namespace {

CharKernel WidestSupportedKernel() {
    if (IsCharKernelSupported(CharKernel::Avx512))
        return CharKernel::Avx512;
    if (IsCharKernelSupported(CharKernel::Avx2))
        return CharKernel::Avx2;
    return BaselineCharKernel();
}

} // namespace

PairSumKernel CharKernelFunction(CharKernel kernel) {
    switch (kernel) {
    case CharKernel::Avx512:
        return &AccumulatePairSumsAvx512;
    case CharKernel::Avx2:
        return &AccumulatePairSumsAvx2;
    case CharKernel::Sse2:
    case CharKernel::Portable: // the SSE2 kernel gives its bits
        break;
    }
    return &AccumulatePairSumsSse2;
}

#endif

CharKernel ChosenCharKernel() {
    const int forced = g_nForcedKernel.load();
    if (forced >= 0)
        return static_cast<CharKernel>(forced);
    return WidestSupportedKernel();
}

const char* CharKernelName(CharKernel kernel) {
    switch (kernel) {
    case CharKernel::Avx512:
        return "AVX-512";
    case CharKernel::Avx2:
        return "AVX2+FMA";
    case CharKernel::Portable:
        return "portable";
    case CharKernel::Sse2:
        break;
    }
    return "SSE2";
}

void ForceCharKernel(std::optional<CharKernel> kernel) {
    // an unsupported kernel would stop the program with an illegal
    // instruction; the run-time choice stays instead
    if (kernel && !IsCharKernelSupported(*kernel))
        kernel.reset();
    g_nForcedKernel.store(kernel ? static_cast<int>(*kernel) : -1);
}
