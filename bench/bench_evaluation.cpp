#include "data/CA1TimeSeries.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

// A drifting random walk of the astigmatism with measurement noise, images
// numbered from 1 without gaps.
CA1TimeSeries RandomWalkSeries(std::int32_t count) {
    CA1TimeSeries series;
    std::mt19937 engine(20210106);
    std::normal_distribution<double> step(0.0, 0.05);
    std::normal_distribution<double> noise(0.0, 0.2);
    double x = 0.0;
    double y = 0.0;
    series.m_Samples.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 1; i <= count; ++i) {
        x += step(engine) + 0.001;
        y += step(engine);
        series.m_Samples.push_back(A1SAMPLE{i, x + noise(engine), y + noise(engine), 0.0, 0.0});
    }
    return series;
}

void CharacteristicFunction(benchmark::State& state) {
    CA1TimeSeries series = RandomWalkSeries(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        series.EvaluateCharFunction(10);
        benchmark::DoNotOptimize(series.m_CFuncData.data());
    }
    state.counters["records"] = static_cast<double>(series.m_CFuncData.size());
}
BENCHMARK(CharacteristicFunction)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(CharacteristicFunction)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

void ModelFit(benchmark::State& state) {
    CA1TimeSeries series = RandomWalkSeries(static_cast<std::int32_t>(state.range(0)));
    series.EvaluateCharFunction(10);
    for (auto _ : state) {
        series.FitModel(12345);
        benchmark::DoNotOptimize(series.m_dModelSSqr);
    }
    state.counters["records"] = static_cast<double>(series.m_CFuncData.size());
    state.counters["Di"] = series.m_dModelDi;
    state.counters["tc"] = series.m_dModelTc;
}
BENCHMARK(ModelFit)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(ModelFit)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
