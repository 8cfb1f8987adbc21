#pragma once

#include "infra/ProgressCallback.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QProgressDialog;
class QThread;
class QTimer;
class QWidget;

// The window's one runner of long work (an evaluation, a fit, a
// re-extraction, an import). A job's work runs on a worker thread, so the
// window keeps repainting and its pane keeps following the log; after
// kShowAfterMs a progress bar with a Cancel button comes up over the window.
// One job at a time: Start refuses a second one.
//
//     CBackgroundRunner::JOB job;
//     job.strTitle = QStringLiteral("Fitting the model...");
//     job.work = [&copy](const ProgressCallback& progress, const AbortFlag& abort) {
//         copy.FitModel(std::nullopt, progress, &abort);   // worker thread
//     };
//     job.finished = [](bool bCancelled) { ... };          // GUI thread
//     runner.Start(std::move(job));
//
// The work must touch nothing that the GUI thread writes meanwhile; the
// usual way is to work on a copy and hand it over in `finished`
// (RunOnSeriesCopy does that for a series).
class CBackgroundRunner : public QObject {
    Q_OBJECT

public:
    struct JOB {
        // The progress bar's label.
        QString strTitle;
        // On the worker thread. `progress` takes the share done (0 .. 1) from
        // any thread; `abort` is set once the user cancelled.
        std::function<void(const ProgressCallback& progress, const AbortFlag& abort)> work;
        // On the GUI thread after `work` has returned; bCancelled when the
        // user cancelled, whose results are then to be dropped.
        std::function<void(bool bCancelled)> finished;
    };

    // A user waits this long before a progress bar is worth its flicker.
    static constexpr int kShowAfterMs = 500;

    // `window` parents the progress bar; not owned.
    explicit CBackgroundRunner(QWidget* window);
    // Cancels a running job and waits for its worker; `finished` is not called.
    ~CBackgroundRunner() override;

    // False, and nothing runs, while another job runs or without work.
    bool Start(JOB job);
    bool IsBusy() const { return m_bBusy; }
    // Asks the running job to stop (the progress bar's Cancel and Escape).
    void Cancel();
    // Runs the event loop until no job runs: for the end of the program and
    // for tests, which must not sleep.
    void WaitUntilIdle();
    // The progress bar while it is shown, else null.
    QProgressDialog* ProgressBar() const { return m_pProgress; }

signals:
    // Emitted when a job starts (true) and after its `finished` (false).
    void BusyChanged(bool bBusy);

private:
    void OnWorkerFinished();
    void ShowProgressBar();
    void UpdateProgressBar();

    QWidget* m_pWindow;
    QThread* m_pThread = nullptr;
    QProgressDialog* m_pProgress = nullptr;
    QTimer* m_pShowTimer;
    QTimer* m_pPollTimer;
    JOB m_Job;
    bool m_bBusy = false;
    // Shared with the worker, which may outlive a cancelled wait.
    std::shared_ptr<AbortFlag> m_pAbort;
    std::shared_ptr<std::atomic<double>> m_pDone;
};
