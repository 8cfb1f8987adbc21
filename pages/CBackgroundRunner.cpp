#include "pages/CBackgroundRunner.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// The bar's range: fine enough for a smooth bar, coarse enough that a
// repaint is seldom wasted on an invisible step.
constexpr int kBarSteps = 1000;
// How often the bar follows the worker's share: smooth to the eye without
// costing the GUI thread anything it would notice.
constexpr int kPollMs = 100;

} // namespace

CBackgroundRunner::CBackgroundRunner(QWidget* window)
    : QObject(window), m_pWindow(window), m_pShowTimer(new QTimer(this)),
      m_pPollTimer(new QTimer(this)) {
    m_pShowTimer->setSingleShot(true);
    m_pShowTimer->setInterval(kShowAfterMs);
    connect(m_pShowTimer, &QTimer::timeout, this, &CBackgroundRunner::ShowProgressBar);
    m_pPollTimer->setInterval(kPollMs);
    connect(m_pPollTimer, &QTimer::timeout, this, &CBackgroundRunner::UpdateProgressBar);
}

CBackgroundRunner::~CBackgroundRunner() {
    if (m_pThread) {
        m_pAbort->store(true);
        m_pThread->disconnect(this);
        m_pThread->wait();
        delete m_pThread;
    }
}

bool CBackgroundRunner::Start(JOB job) {
    if (m_bBusy || !job.work)
        return false;
    m_Job = std::move(job);
    m_pAbort = std::make_shared<AbortFlag>(false);
    m_pDone = std::make_shared<std::atomic<double>>(0.0);
    auto work = m_Job.work;
    auto abort = m_pAbort;
    auto done = m_pDone;
    m_pThread = QThread::create([work, abort, done] {
        const ProgressCallback progress = [done](double dDone) {
            done->store(std::clamp(dDone, 0.0, 1.0), std::memory_order_relaxed);
        };
        work(progress, *abort);
    });
    connect(m_pThread, &QThread::finished, this, &CBackgroundRunner::OnWorkerFinished,
            Qt::QueuedConnection);
    m_bBusy = true;
    emit BusyChanged(true);
    m_pShowTimer->start();
    m_pThread->start();
    return true;
}

void CBackgroundRunner::Cancel() {
    if (!m_bBusy)
        return;
    m_pAbort->store(true);
    if (m_pProgress)
        m_pProgress->setLabelText(QStringLiteral("Cancelling..."));
}

void CBackgroundRunner::WaitUntilIdle() {
    if (!m_bBusy)
        return;
    QEventLoop loop;
    connect(this, &CBackgroundRunner::BusyChanged, &loop, [&loop](bool bBusy) {
        if (!bBusy)
            loop.quit();
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void CBackgroundRunner::ShowProgressBar() {
    if (!m_bBusy || m_pProgress)
        return;
    m_pProgress =
        new QProgressDialog(m_Job.strTitle, QStringLiteral("&Cancel"), 0, kBarSteps, m_pWindow);
    m_pProgress->setWindowTitle(QStringLiteral("Tessaric"));
    // While the bar shows, keys go to it: Escape cancels, and nothing typed
    // reaches the window's commands.
    m_pProgress->setWindowModality(Qt::WindowModal);
    m_pProgress->setAutoReset(false);
    m_pProgress->setAutoClose(false);
    m_pProgress->setMinimumDuration(0);
    connect(m_pProgress, &QProgressDialog::canceled, this, &CBackgroundRunner::Cancel);
    UpdateProgressBar();
    m_pProgress->show();
    m_pPollTimer->start();
}

void CBackgroundRunner::UpdateProgressBar() {
    if (m_pProgress && !m_pProgress->wasCanceled())
        m_pProgress->setValue(static_cast<int>(std::lround(m_pDone->load() * kBarSteps)));
}

void CBackgroundRunner::OnWorkerFinished() {
    m_pShowTimer->stop();
    m_pPollTimer->stop();
    if (m_pProgress) {
        m_pProgress->disconnect(this);
        m_pProgress->hide();
        m_pProgress->deleteLater();
        m_pProgress = nullptr;
        // The bar took the keyboard; the user's next key belongs to the window.
        if (m_pWindow)
            m_pWindow->activateWindow();
    }
    m_pThread->deleteLater();
    m_pThread = nullptr;
    const bool cancelled = m_pAbort->load();
    JOB job = std::move(m_Job);
    m_Job = JOB{};
    if (job.finished)
        job.finished(cancelled);
    m_bBusy = false;
    emit BusyChanged(false);
}
