#pragma once

#include "evaluation/SeriesEvaluation.h"

#include <QString>

#include <functional>
#include <string>

class CA1TimeSeries;
class CBackgroundRunner;

// A user operation on one series, run by the runner on a copy of it (worker
// thread). It returns whether it gave its result.
using SeriesOperation = std::function<bool(CA1TimeSeries& copy, const EVALUATIONPROGRESS&)>;

// Runs `operation` on a copy of `series`. When it ends without a cancel, the
// copy's data and results replace the series' and `done(result)` runs on the
// GUI thread. A cancel leaves the series exactly as it was and logs
// "<strWhat> cancelled." to the series' log. False, with nothing run, while
// the runner is busy. The series must live until the job ends: the window
// refuses every command that could delete one meanwhile. Without a runner
// the operation runs at once on the calling thread, on a copy all the same.
bool RunOnSeriesCopy(CBackgroundRunner* runner, CA1TimeSeries& series, const QString& title,
                     const std::string& strWhat, SeriesOperation operation,
                     std::function<void(bool)> done);
