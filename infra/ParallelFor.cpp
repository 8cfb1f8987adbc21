#include "infra/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

std::size_t WorkerCount() {
    // hardware_concurrency may answer 0 when it cannot tell
    static const std::size_t count = std::max(1u, std::thread::hardware_concurrency());
    return count;
}

std::size_t RunOnWorkers(std::size_t nWorkers, const WorkerBody& body) {
    std::vector<std::thread> helpers;
    for (std::size_t worker = 1; worker < nWorkers; ++worker) {
        try {
            helpers.emplace_back(body, worker);
        } catch (const std::system_error&) {
            // no more threads to be had: those that started share the work
            break;
        }
    }
    const std::size_t running = helpers.size() + 1;
    body(0);
    for (std::thread& helper : helpers)
        helper.join();
    return running;
}

std::size_t ParallelFor(std::size_t nCount, std::size_t nWorkers, const IndexedJob& job) {
    std::atomic<std::size_t> next{0};
    // a worker without a job to start would only cost its start
    return RunOnWorkers(std::min(nWorkers, std::max<std::size_t>(nCount, 1)),
                        [&](std::size_t worker) {
                            for (std::size_t index = next++; index < nCount; index = next++)
                                job(index, worker);
                        });
}
