// A batch of 100 logs of 3,000 images each through `evaluate --summary
// --html` without confidence intervals: the time a service engineer waits
// for the reports of a whole campaign. One iteration evaluates every log;
// the logs are simulated once, before the timing.
#include "cli/CliCommands.h"
#include "data/LogSimulator.h"
#include "infra/CLogFile.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr int kLogs = 100;
constexpr int kImages = 3000;

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "bench_reports";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

const std::string& BatchFolder() {
    static const std::string folder = [] {
        const std::string path =
            (std::filesystem::temp_directory_path() / "tessaric-bench-reports").string();
        std::filesystem::create_directories(path);
        for (int i = 0; i < kLogs; ++i) {
            SIMULATIONSETTINGS settings;
            settings.nImages = kImages;
            settings.dDi = 0.03 + 0.0005 * i;
            settings.dDrift = 0.001;
            settings.dNoise = 0.05;
            settings.nSeed = 100u + static_cast<unsigned>(i);
            WriteSimulatedLog(path + "/log" + std::to_string(i) + ".log", settings, nullptr);
        }
        return path;
    }();
    return folder;
}

void BM_SummaryAndHtmlOfABatch(benchmark::State& state) {
    EnsureApplication();
    EVALUATEOPTIONS options;
    for (int i = 0; i < kLogs; ++i)
        options.files.push_back(BatchFolder() + "/log" + std::to_string(i) + ".log");
    options.nSeed = 1;
    options.strSummaryFile = BatchFolder() + "/summary.csv";
    options.strHtmlFile = BatchFolder() + "/report.html";
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        CLogFile log;
        benchmark::DoNotOptimize(RunEvaluate(options, log, sink));
    }
    std::fclose(sink);
}
BENCHMARK(BM_SummaryAndHtmlOfABatch)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
