#include "data/CA1TimeSeries.h"
#include "evaluation/CFitModule.h"
#include "evaluation/CFitRandom.h"
#include "evaluation/OutlierTest.h"
#include "evaluation/PairSumKernels.h"
#include "evaluation/StabilityModel.h"
#include "evaluation/WalkChangeTest.h"

#include <benchmark/benchmark.h>

#include <iterator>
#include <vector>

namespace {

enum Numbering : std::int64_t {
    Contiguous = 0,
    TwentyGaps = 1,
    OnePercentDropped = 2,
    TenPercentDropped = 3
};

// The series that bench/numpy_peer.py builds too, draw for draw: a random walk
// around 1e3 nm with 1e-2 nm steps, a strong linear drift, a quadratic trend
// and measurement noise, from the fit's own generator so that Python can
// repeat it exactly. `images` image numbers; TwentyGaps leaves out five
// images at 20 evenly spread places, OnePercentDropped every image whose draw
// of a second generator falls below 0.01, TenPercentDropped below 0.1.
CA1TimeSeries BenchSeries(std::int32_t images, Numbering numbering) {
    CA1TimeSeries series;
    series.m_dPeriod = 0.1;
    CFitRandom values(20210106);
    CFitRandom drops(77);
    const std::int32_t gapEvery = images / 21;
    double x = 0.0;
    double y = 0.0;
    series.m_Samples.reserve(static_cast<std::size_t>(images));
    for (std::int32_t i = 1; i <= images; ++i) {
        x += 0.02 * (values.NextFraction() - 0.5) + 0.001;
        y += 0.02 * (values.NextFraction() - 0.5) - 0.0005;
        const double trend = 2e-9 * i * i;
        const double ax = 1000.0 + x + trend + 0.2 * (values.NextFraction() - 0.5);
        const double ay = -700.0 + y - trend + 0.2 * (values.NextFraction() - 0.5);
        const bool dropped = (numbering == TwentyGaps && i % gapEvery < 5 && i / gapEvery >= 1 &&
                              i / gapEvery <= 20) ||
                             (numbering == OnePercentDropped && drops.NextFraction() < 0.01) ||
                             (numbering == TenPercentDropped && drops.NextFraction() < 0.1);
        if (!dropped)
            series.m_Samples.push_back(A1SAMPLE{i, ax, ay, 0.0, 0.0});
    }
    return series;
}

const char* KernelName() {
    return CharKernelName(ChosenCharKernel());
}

// the kernel that this machine runs, once in the context of the whole run
const bool g_bKernelInContext =
    (benchmark::AddCustomContext("char_function_kernel", KernelName()), true);

void CharacteristicFunction(benchmark::State& state) {
    CA1TimeSeries series = BenchSeries(static_cast<std::int32_t>(state.range(0)),
                                       static_cast<Numbering>(state.range(1)));
    for (auto _ : state) {
        series.EvaluateCharFunction(10);
        benchmark::DoNotOptimize(series.m_CFuncData.data());
    }
    state.SetLabel(KernelName());
    state.counters["records"] = static_cast<double>(series.m_CFuncData.size());
}
BENCHMARK(CharacteristicFunction)
    ->ArgNames({"images", "numbering"})
    ->Args({10000, Contiguous})
    ->Args({100000, Contiguous})
    ->Args({100000, TwentyGaps})
    ->Args({100000, OnePercentDropped})
    ->Args({100000, TenPercentDropped})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The checks of the series beside the evaluation: the outlier test and the
// windowed walk change test, to compare with CharacteristicFunction and
// FitModel at the same size.
void SeriesChecks(benchmark::State& state) {
    const CA1TimeSeries series = BenchSeries(static_cast<std::int32_t>(state.range(0)),
                                             static_cast<Numbering>(state.range(1)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindOutliers(series.m_Samples).size());
        benchmark::DoNotOptimize(TestWalkChange(series.m_Samples).dSignificance);
    }
}
BENCHMARK(SeriesChecks)
    ->ArgNames({"images", "numbering"})
    ->Args({100000, Contiguous})
    ->Args({100000, TenPercentDropped})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Each instruction set on the same series, as far as the machine has it.
void CharacteristicFunctionKernel(benchmark::State& state) {
    const CharKernel kernel = kEveryCharKernel[state.range(0)];
    if (!IsCharKernelSupported(kernel)) {
        state.SkipWithError("kernel not supported on this machine");
        return;
    }
    CA1TimeSeries series = BenchSeries(100000, Contiguous);
    ForceCharKernel(kernel);
    for (auto _ : state) {
        series.EvaluateCharFunction(10);
        benchmark::DoNotOptimize(series.m_CFuncData.data());
    }
    ForceCharKernel(std::nullopt);
    state.SetLabel(CharKernelName(kernel));
}
BENCHMARK(CharacteristicFunctionKernel)
    ->ArgName("kernel")
    ->DenseRange(0, static_cast<int>(std::size(kEveryCharKernel)) - 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void FitModel(benchmark::State& state) {
    CA1TimeSeries series = BenchSeries(static_cast<std::int32_t>(state.range(0)), Contiguous);
    series.EvaluateCharFunction(10);
    const auto seed = static_cast<std::uint32_t>(state.range(1));
    for (auto _ : state) {
        series.FitModel(seed);
        benchmark::DoNotOptimize(series.m_dModelSSqr);
    }
    state.SetLabel(KernelName());
    state.counters["records"] = static_cast<double>(series.m_CFuncData.size());
    state.counters["Di"] = series.m_dModelDi;
    state.counters["tc"] = series.m_dModelTc;
}
BENCHMARK(FitModel)
    ->ArgNames({"images", "seed"})
    ->ArgsProduct({{10000, 100000}, {1, 2, 3, 4, 5}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

namespace {

// The stability model behind a pointer that the fit module does not
// recognise: the one-record-per-call path, for comparison with its batch path.
double OpaqueModel(const double* pK, const std::int32_t* pnParams, const double* pParams) {
    return StabilityModelValue(pK, pnParams, pParams);
}
void OpaqueGradient(const double* pK, const std::int32_t* pnParams, const double* pParams,
                    double* pGradient) {
    StabilityModelGradient(pK, pnParams, pParams, pGradient);
}

// One s-square and one gradient of the weighted fit over the records of a
// series, the unit of work of every minimisation step.
void FitObjectiveAndGradient(benchmark::State& state) {
    CA1TimeSeries series = BenchSeries(static_cast<std::int32_t>(state.range(0)), Contiguous);
    series.EvaluateCharFunction(10);
    std::vector<double> x, y, w;
    for (const A1SAMPLE& record : series.m_CFuncData) {
        x.push_back(record.nImage);
        y.push_back(record.dX + record.dY);
        w.push_back(1.0 / (1.0 + record.dErrX + record.dErrY));
    }
    CFitModule module;
    module.m_bWeighted = 1;
    module.RegisterData(static_cast<std::int32_t>(x.size()), x.data(), y.data(), w.data());
    if (state.range(1))
        module.RegisterFunction();
    else
        module.RegisterFunction(&OpaqueModel, &OpaqueGradient, 4);
    const double params[4] = {0.004, 0.01, 800.0, 1e-5};
    double gradient[4];
    for (auto _ : state) {
        double s = 0.0;
        module.GetSSquare(s, params);
        module.GetSSquareGradient(gradient, params);
        benchmark::DoNotOptimize(s);
        benchmark::DoNotOptimize(gradient);
    }
    state.SetLabel(state.range(1) ? "vectorised records" : "one record per call");
}
BENCHMARK(FitObjectiveAndGradient)
    ->ArgNames({"images", "batch"})
    ->ArgsProduct({{100000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
