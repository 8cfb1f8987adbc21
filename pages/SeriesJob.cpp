#include "pages/SeriesJob.h"

#include "data/CA1TimeSeries.h"
#include "infra/CLogFile.h"
#include "pages/CBackgroundRunner.h"

#include <memory>

bool RunOnSeriesCopy(CBackgroundRunner* runner, CA1TimeSeries& series, const QString& title,
                     const std::string& strWhat, SeriesOperation operation,
                     std::function<void(bool)> done) {
    CLogFile* log = series.m_pLog;
    // Filled on the worker thread: copying a long series takes a moment
    // that the window should not wait for. Only reads of `series` happen
    // there, and the GUI thread only reads it meanwhile.
    auto copy = std::make_shared<CA1TimeSeries>(log);
    auto result = std::make_shared<bool>(false);
    CA1TimeSeries* target = &series;
    CBackgroundRunner::JOB job;
    job.strTitle = title;
    job.work = [copy, result, target, operation](const ProgressCallback& progress,
                                                 const AbortFlag& abort) {
        *copy = *target;
        EVALUATIONPROGRESS steps;
        steps.charFunction = progress;
        steps.fit = progress;
        steps.pAbort = &abort;
        *result = operation(*copy, steps);
    };
    job.finished = [copy, result, target, log, strWhat, done](bool bCancelled) {
        if (bCancelled) {
            if (log)
                log->WriteLine(strWhat + " cancelled.");
            return;
        }
        *target = std::move(*copy);
        if (done)
            done(*result);
    };
    if (runner)
        return runner->Start(std::move(job));
    const AbortFlag never{false};
    job.work([](double) {}, never);
    job.finished(false);
    return true;
}
