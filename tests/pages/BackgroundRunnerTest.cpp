#include "pages/CBackgroundRunner.h"
#include "pages/PageTestSupport.h"
#include "pages/SeriesJob.h"
#include "report/StabilityReport.h"

#include <QWidget>

#include <thread>

namespace {

class BackgroundRunner : public PageTest {
protected:
    QWidget window;
    CBackgroundRunner runner{&window};
};

// A job that runs until it is cancelled, without sleeping.
CBackgroundRunner::JOB JobUntilCancelled(int& nFinished, bool& bCancelled) {
    CBackgroundRunner::JOB job;
    job.work = [](const ProgressCallback& progress, const AbortFlag& abort) {
        progress(0.5);
        while (!abort.load())
            std::this_thread::yield();
    };
    job.finished = [&nFinished, &bCancelled](bool cancelled) {
        ++nFinished;
        bCancelled = cancelled;
    };
    return job;
}

} // namespace

TEST_F(BackgroundRunner, OneJobAtATimeAndCancelEndsIt) {
    int nFinished = 0;
    bool bCancelled = false;
    std::vector<bool> busy;
    QObject::connect(&runner, &CBackgroundRunner::BusyChanged,
                     [&busy](bool bBusy) { busy.push_back(bBusy); });
    ASSERT_TRUE(runner.Start(JobUntilCancelled(nFinished, bCancelled)));
    EXPECT_TRUE(runner.IsBusy());
    EXPECT_FALSE(runner.Start(JobUntilCancelled(nFinished, bCancelled)));
    runner.Cancel();
    runner.WaitUntilIdle();
    EXPECT_EQ(nFinished, 1);
    EXPECT_TRUE(bCancelled);
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_FALSE(runner.IsBusy());
    EXPECT_EQ(runner.ProgressBar(), nullptr);
}

// Each long command of the pages: cancelled, the series is exactly as
// before and the log says so; run to its end, its result reaches the series.
TEST_F(BackgroundRunner, CancelKeepsTheSeriesAndCompletionAppliesTheResult) {
    CA1TimeSeries& series = ExampleSeries();
    series.m_pLog = &capture.log;
    const EVALUATIONINPUTS inputs = EvaluationInputsFrom(params);
    struct CASE {
        const char* what;
        SeriesOperation operation;
        std::function<bool(const CA1TimeSeries&)> applied;
    };
    const CASE cases[] = {
        {"Evaluation of the characteristic function",
         [inputs](CA1TimeSeries& s, const EVALUATIONPROGRESS& p) {
             return EvaluateCharFunctionAndLifetime(s, inputs, p);
         },
         [](const CA1TimeSeries& s) { return s.HasCharFunction(); }},
        {"Model fit",
         [inputs](CA1TimeSeries& s, const EVALUATIONPROGRESS& p) {
             return FitModelAndLifetime(s, inputs, 1u, p);
         },
         [](const CA1TimeSeries& s) { return s.HasModel(); }},
        {"Re-extraction",
         [](CA1TimeSeries& s, const EVALUATIONPROGRESS&) { return s.Reextract(-1, 30.0); },
         [](const CA1TimeSeries& s) { return s.m_dRotationDeg == 30.0; }},
    };
    for (const CASE& c : cases) {
        const std::string before = BuildStabilityReport(series);
        const std::vector<A1SAMPLE> samples = series.m_Samples;
        int nDone = 0;
        ASSERT_TRUE(RunOnSeriesCopy(&runner, series, "work", c.what, c.operation,
                                    [&nDone](bool) { ++nDone; }));
        runner.Cancel(); // before the worker's end is handled: always a cancel
        runner.WaitUntilIdle();
        EXPECT_EQ(nDone, 0) << c.what;
        EXPECT_EQ(BuildStabilityReport(series), before) << c.what;
        EXPECT_EQ(series.m_Samples.size(), samples.size());
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), series.m_Samples.begin(),
                               [](const A1SAMPLE& a, const A1SAMPLE& b) {
                                   return a.dX == b.dX && a.dY == b.dY && a.nImage == b.nImage;
                               }));
        EXPECT_EQ(capture.Lines().back(), std::string(c.what) + " cancelled.");

        ASSERT_TRUE(RunOnSeriesCopy(&runner, series, "work", c.what, c.operation,
                                    [&nDone](bool) { ++nDone; }));
        runner.WaitUntilIdle();
        EXPECT_EQ(nDone, 1) << c.what;
        EXPECT_TRUE(c.applied(series)) << c.what;
    }
}
