#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/SeriesEvaluation.h"

#include <benchmark/benchmark.h>

namespace {

// A drifting random walk with measurement noise, evaluated as tessaric-cli
// evaluates it by default.
CA1TimeSeries EvaluatedWalk(std::int32_t count) {
    SIMULATIONSETTINGS settings;
    settings.nImages = count;
    settings.dDi = 0.05;
    settings.dDrift = 0.001;
    settings.dNoise = 0.1;
    settings.nSeed = 20210106;
    CA1TimeSeries series = SimulatedSeries(settings);
    EvaluateSeries(series, EVALUATIONINPUTS{}, true, 12345);
    return series;
}

// B = 200 replicates, the default of --confidence, on every core.
void Confidence200(benchmark::State& state) {
    const CA1TimeSeries series = EvaluatedWalk(static_cast<std::int32_t>(state.range(0)));
    CONFIDENCESETTINGS settings;
    settings.nSeed = 1;
    CONFIDENCERESULT result;
    for (auto _ : state) {
        result = EvaluateConfidence(series, settings);
        benchmark::DoNotOptimize(result.intervals.data());
    }
    state.counters["failed"] = result.nFailed;
    state.counters["lifetime_lo"] = result.intervals[kConfidenceModelLifetime].dLower;
    state.counters["lifetime_hi"] = result.intervals[kConfidenceModelLifetime].dUpper;
}
BENCHMARK(Confidence200)->Arg(1000)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(Confidence200)->Arg(10000)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
