#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

// Runs the independent jobs 0 .. nCount - 1 on up to nWorkers threads (the
// calling thread is worker 0) and hands each finished job to the judge in
// job order, on the calling thread, as if the jobs had run one after the
// other. A free worker takes the next job at once instead of waiting for its
// partner, so one long job holds up only the judging, not the other worker.
//
// When the judge returns true, no further job is started, `abort` is set so
// that running jobs can end early (their results are never judged), and the
// call returns once every worker has stopped. Without a second thread (none
// asked for, or none to be had) the jobs run one by one on the caller's.
using OrderedJob = std::function<void(std::size_t nJob, std::size_t nWorker)>;
using OrderedJudge = std::function<bool(std::size_t nJob)>;

void RunJobsInOrder(std::size_t nCount, std::size_t nWorkers, const OrderedJob& job,
                    const OrderedJudge& judge, std::atomic<bool>& abort);
