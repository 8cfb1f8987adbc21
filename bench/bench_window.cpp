// The longest pause of the window's event loop while Ctrl+F evaluates the
// characteristic function of a 1,000,000-image log. A QTimer probe that asks
// for a tick every millisecond notes the longest time between two ticks,
// from the key's command until the result is shown: what a user would see
// as a frozen window. The evaluation runs on the runner's worker, so the
// gap is the GUI thread's own share (start, hand-over, the new tabs).

#include "app/CTessaricDlg.h"
#include "app/MainMenu.h"
#include "data/LogSimulator.h"
#include "pages/CBackgroundRunner.h"
#include "pages/IUserDialogs.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Every dialog is cancelled: the run needs none.
class CNoDialogs : public IUserDialogs {
public:
    std::optional<FILEDIALOGRESULT> OpenFile(QWidget*, const FILEDIALOGREQUEST&) override {
        return std::nullopt;
    }
    std::optional<FILEDIALOGRESULT> SaveFile(QWidget*, const FILEDIALOGREQUEST&) override {
        return std::nullopt;
    }
    bool AskYesNo(QWidget*, const std::string&, const std::string&) override { return false; }
    void ShowMessage(QWidget*, const std::string&) override {}
    int RunModal(QDialog&) override { return 0; }
};

QApplication& Application() {
    static int argc = 1;
    static char name[] = "bench_window";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication application(argc, argv);
    return application;
}

void BM_LongestEventLoopGapDuringCtrlF(benchmark::State& state) {
    Application();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("tessaric-bench-window-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ::setenv("TESSARIC_DATA_DIR", dir.c_str(), 1);
    SIMULATIONSETTINGS settings;
    settings.nImages = static_cast<std::int32_t>(state.range(0));
    settings.dDi = 0.05;
    const std::string log = (dir / "long.log").string();
    if (!WriteSimulatedLog(log, settings, nullptr)) {
        state.SkipWithError("the log could not be written");
        return;
    }
    CNoDialogs dialogs;
    CTessaricDlg window(dir.string(), "", nullptr, dialogs);
    window.m_nWelcomeCountdown = 0;
    window.show();
    window.OpenFiles({log});
    window.Runner()->WaitUntilIdle();

    double longest = 0.0;
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 gap = 0;
        QTimer probe;
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            gap = std::max(gap, now - last);
            last = now;
        });
        clock.start();
        probe.start();
        window.Commands().Execute(ID_ANALYZE_CHARFUNCTION);
        window.Runner()->WaitUntilIdle();
        QCoreApplication::processEvents();
        probe.stop();
        gap = std::max(gap, clock.elapsed() - last);
        longest = std::max(longest, static_cast<double>(gap));
    }
    state.counters["longest_gap_ms"] = longest;
    window.OnQuit();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

} // namespace

BENCHMARK(BM_LongestEventLoopGapDuringCtrlF)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
