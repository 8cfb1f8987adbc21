// Rendering time of each diagram type for a long series with a fitted model,
// at the size of the diagram window's bitmap.
#include "data/CA1TimeSeries.h"
#include "diagram/DiagramImage.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "bench_diagram";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

// 10,000 samples of a random walk with drift, its characteristic function up
// to a third of the length, and model parameters of the size a fit gives.
CA1TimeSeries& LongSeries() {
    static CA1TimeSeries series = [] {
        CA1TimeSeries s;
        constexpr int kSamples = 10000;
        std::mt19937 random(7);
        std::normal_distribution<double> normal(0.0, 1.0);
        double x = 0.0, y = 0.0;
        for (int i = 1; i <= kSamples; ++i) {
            x += 0.3 * normal(random) + 0.002;
            y += 0.3 * normal(random);
            A1SAMPLE sample;
            sample.nImage = i;
            sample.dX = x + 0.1 * normal(random);
            sample.dY = y + 0.1 * normal(random);
            s.m_Samples.push_back(sample);
        }
        s.m_dPeriod = 1.5;
        for (int k = 1; k <= kSamples / 3; ++k) {
            A1SAMPLE point;
            point.nImage = k;
            point.dX = point.dY = 0.09 * k + 4e-6 * k * k;
            s.m_CFuncData.push_back(point);
        }
        s.m_nCFuncState = 1;
        s.m_nModelState = 1;
        s.m_dModelDi = 0.3;
        s.m_dModelDa = 0.2;
        s.m_dModelTc = 30.0;
        s.m_dModelS = 0.002;
        s.m_dTolerance = 5.0;
        s.m_nLifetimeState = 1;
        s.m_dLifetime = 200.0;
        s.m_dModelLifetime = 210.0;
        return s;
    }();
    return series;
}

void BM_RenderDiagram(benchmark::State& state) {
    EnsureApplication();
    CA1TimeSeries& series = LongSeries();
    DiagramStyle style;
    style.m_nType = static_cast<std::int32_t>(state.range(0));
    QImage bitmap = CreateDiagramBitmap(DefaultDiagramSize());
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderDiagram(series, style, bitmap));
}

} // namespace

BENCHMARK(BM_RenderDiagram)->ArgName("type")->DenseRange(1, 5)->Unit(benchmark::kMillisecond);
