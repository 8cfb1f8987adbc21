#include "evaluation/OrderedRuns.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <vector>

TEST(OrderedRuns, JudgesEveryJobInOrderAndStopsWhenTold) {
    constexpr std::size_t kJobs = 20;
    for (std::size_t workers : {1u, 2u, 3u}) {
        for (std::optional<std::size_t> stopAt :
             {std::optional<std::size_t>{}, std::optional<std::size_t>{0},
              std::optional<std::size_t>{7}}) {
            std::vector<std::atomic<int>> runs(kJobs);
            std::vector<int> results(kJobs, -1);
            std::vector<std::size_t> judged;
            std::atomic<bool> abort{false};
            const auto job = [&](std::size_t index, std::size_t worker) {
                EXPECT_LT(worker, workers);
                ++runs[index];
                results[index] = static_cast<int>(index) * 3;
            };
            const auto judge = [&](std::size_t index) {
                // a job is judged only once its result is there
                EXPECT_EQ(results[index], static_cast<int>(index) * 3);
                judged.push_back(index);
                return stopAt && index == *stopAt;
            };
            RunJobsInOrder(kJobs, workers, job, judge, abort);

            const std::size_t expected = stopAt ? *stopAt + 1 : kJobs;
            ASSERT_EQ(judged.size(), expected) << workers;
            for (std::size_t i = 0; i < expected; ++i)
                EXPECT_EQ(judged[i], i);
            for (std::size_t i = 0; i < kJobs; ++i)
                EXPECT_LE(runs[i].load(), 1) << i;
            EXPECT_TRUE(abort.load());
        }
    }
}
