#include "evaluation/OrderedRuns.h"

#include "infra/ParallelFor.h"

#include <condition_variable>
#include <mutex>
#include <vector>

void RunJobsInOrder(std::size_t nCount, std::size_t nWorkers, const OrderedJob& job,
                    const OrderedJudge& judge, std::atomic<bool>& abort) {
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<char> done(nCount, 0);
    std::size_t next = 0;
    bool stop = false;

    const auto helperLoop = [&](std::size_t worker) {
        std::unique_lock lock(mutex);
        while (!stop && next < nCount) {
            const std::size_t index = next++;
            lock.unlock();
            job(index, worker);
            lock.lock();
            done[index] = 1;
            finished.notify_all();
        }
    };
    const auto judgeLoop = [&] {
        std::unique_lock lock(mutex);
        for (std::size_t judged = 0; judged < nCount;) {
            if (done[judged]) {
                lock.unlock();
                const bool enough = judge(judged);
                lock.lock();
                ++judged;
                if (enough)
                    break;
            } else if (next < nCount) {
                // rather than wait, the caller does the next job itself
                const std::size_t index = next++;
                lock.unlock();
                job(index, 0);
                lock.lock();
                done[index] = 1;
            } else {
                finished.wait(lock);
            }
        }
        stop = true;
        abort.store(true);
    };
    RunOnWorkers(nWorkers, [&](std::size_t worker) {
        if (worker == 0)
            judgeLoop();
        else
            helperLoop(worker);
    });
}
