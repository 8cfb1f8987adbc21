#include "evaluation/ProbabilityModel.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

// A point of a probability plot for a random-walk-dominated series.
void BM_CdfTypicalLambda(benchmark::State& state) {
    double x = 6.0;
    for (auto _ : state)
        benchmark::DoNotOptimize(NoncentralChi2Cdf(x, 3.5));
}
BENCHMARK(BM_CdfTypicalLambda);

// A drift-dominated series near its lifetime, where the series is longest, and
// beyond it, where the large-argument form takes over.
void BM_CdfLargeLambda(benchmark::State& state) {
    const double lambda = static_cast<double>(state.range(0));
    // Half a standard deviation above the centre of the distribution.
    const double x = (std::sqrt(lambda) + 0.5) * (std::sqrt(lambda) + 0.5);
    for (auto _ : state)
        benchmark::DoNotOptimize(NoncentralChi2Cdf(x, lambda));
}
BENCHMARK(BM_CdfLargeLambda)->Arg(730)->Arg(10000)->Arg(1000000);

// One model band of the fitted-model diagram: 501 points.
void BM_QuantileBand501(benchmark::State& state) {
    const ModelParameters params{0.05, 0.1, 9.0, 0.002};
    for (auto _ : state) {
        for (int i = 0; i <= 500; ++i)
            benchmark::DoNotOptimize(SqrAmplitudeQuantile(1.0 + i, kUpperBandProbability, params));
    }
}
BENCHMARK(BM_QuantileBand501);

} // namespace
