#include "infra/ParallelFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(ParallelFor, RunsEveryIndexOnceOnAnyNumberOfWorkers) {
    struct Case {
        std::size_t nCount;
        std::size_t nWorkers;
    };
    const Case cases[] = {{0, 1}, {0, 4}, {1, 4}, {5, 1}, {5, 2}, {100, 3}, {100, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nCount << " jobs on " << c.nWorkers << " workers");
        std::vector<std::atomic<int>> runs(c.nCount);
        std::atomic<bool> workerInRange{true};
        const std::size_t ran =
            ParallelFor(c.nCount, c.nWorkers, [&](std::size_t i, std::size_t w) {
                runs[i].fetch_add(1);
                if (w >= c.nWorkers)
                    workerInRange = false;
            });
        for (const std::atomic<int>& count : runs)
            EXPECT_EQ(count.load(), 1);
        EXPECT_TRUE(workerInRange.load());
        EXPECT_GE(ran, 1u);
        EXPECT_LE(ran, c.nWorkers);
    }
}

TEST(ParallelFor, EachWorkerRunsOnceAndTheCallerIsWorkerZero) {
    const std::size_t workers = 4;
    std::vector<std::atomic<int>> calls(workers);
    std::atomic<bool> zeroOnCaller{false};
    const auto caller = std::this_thread::get_id();
    const std::size_t ran = RunOnWorkers(workers, [&](std::size_t w) {
        calls[w].fetch_add(1);
        if (w == 0)
            zeroOnCaller = std::this_thread::get_id() == caller;
    });
    ASSERT_EQ(ran, workers);
    for (const std::atomic<int>& count : calls)
        EXPECT_EQ(count.load(), 1);
    EXPECT_TRUE(zeroOnCaller.load());
    EXPECT_GE(WorkerCount(), 1u);
}
