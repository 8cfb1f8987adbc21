#include "evaluation/ProbabilityMap.h"
#include "evaluation/WholeIntervalProbability.h"

#include <benchmark/benchmark.h>

namespace {

// A walk with drift over the probability table's reach (P falls to 5 %), as
// the probability plot asks for it: default paths and grid, on 1 and 2
// threads.
void BM_WholeIntervalCurve(benchmark::State& state) {
    WHOLEINTERVALSETTINGS settings;
    settings.nThreads = static_cast<std::uint32_t>(state.range(0));
    const ModelParameters model{0.08, 0.0, 0.0, 0.004};
    for (auto _ : state)
        benchmark::DoNotOptimize(EvaluateWholeIntervalCurve(1.27, 600.0, model, settings));
}
BENCHMARK(BM_WholeIntervalCurve)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the decaying part of a fitted model, whose paths come from
// the path generator (one FFT per path).
void BM_WholeIntervalCurveDecaying(benchmark::State& state) {
    WHOLEINTERVALSETTINGS settings;
    settings.nThreads = static_cast<std::uint32_t>(state.range(0));
    const ModelParameters model{0.08, 0.05, 12.3, 0.004};
    for (auto _ : state)
        benchmark::DoNotOptimize(EvaluateWholeIntervalCurve(1.27, 480.0, model, settings));
}
BENCHMARK(BM_WholeIntervalCurveDecaying)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The P(a, t) map at 200 x 200 cells for a fitted model with a decaying part.
void BM_ProbabilityMap200(benchmark::State& state) {
    const ModelParameters model{0.08, 0.05, 12.3, 0.004};
    for (auto _ : state)
        benchmark::DoNotOptimize(EvaluateProbabilityMap(1.27, 1200.0, model, 200, 200));
}
BENCHMARK(BM_ProbabilityMap200)->Unit(benchmark::kMillisecond);

} // namespace
