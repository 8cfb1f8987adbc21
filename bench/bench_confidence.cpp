#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/BootstrapConfidence.h"
#include "evaluation/ModelPathGenerator.h"
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

// 600 samples of which the last is numbered 1,000,000: the replicates cross
// the gap with one step instead of simulating the span (B = 100).
void ConfidenceWildImageNumber(benchmark::State& state) {
    CA1TimeSeries series = EvaluatedWalk(600);
    series.m_Samples.back().nImage = 1000000;
    EvaluateSeries(series, EVALUATIONINPUTS{}, true, 12345);
    CONFIDENCESETTINGS settings;
    settings.nReplicates = 100;
    settings.nSeed = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(EvaluateConfidence(series, settings).intervals.data());
}
BENCHMARK(ConfidenceWildImageNumber)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// What a replicate costs besides its evaluation: one exact path of a model
// with a decaying part, against the characteristic function of a recording
// of that length (the cheapest part of its evaluation).
void DrawModelPath(benchmark::State& state) {
    CModelPathGenerator generator;
    generator.Prepare({0.05, 0.1, 20.0, 0.001}, state.range(0));
    CSimulationRandom random(1);
    MODELPATH path;
    for (auto _ : state) {
        generator.Draw(random, path);
        benchmark::DoNotOptimize(path.x.data());
    }
}
BENCHMARK(DrawModelPath)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void CharFunctionOfReplicate(benchmark::State& state) {
    CA1TimeSeries series = EvaluatedWalk(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        series.EvaluateCharFunction(series.m_nMinDiversity);
        benchmark::DoNotOptimize(series.m_CFuncData.data());
    }
}
BENCHMARK(CharFunctionOfReplicate)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
