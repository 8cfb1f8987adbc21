#pragma once

#include <cstddef>
#include <functional>

// The one place where the program starts threads for its own work. Results
// stay the same bits on any number of threads as long as each job writes
// only what belongs to it: which worker runs which job is left to chance.

// The number of workers parallel work uses unless told otherwise: the
// processor's threads, asked once per process.
std::size_t WorkerCount();

// Runs body(nWorker) for the workers 0 .. nWorkers - 1 at the same time, the
// calling thread being worker 0, and returns once all have returned. When
// the system has fewer threads to give, fewer workers run (at least worker
// 0); the result says how many did, so bodies share their work through a
// counter rather than by worker number.
using WorkerBody = std::function<void(std::size_t nWorker)>;
std::size_t RunOnWorkers(std::size_t nWorkers, const WorkerBody& body);

// Runs job(nIndex, nWorker) once for each nIndex in 0 .. nCount - 1, a free
// worker taking the next index, and returns the number of workers that ran.
using IndexedJob = std::function<void(std::size_t nIndex, std::size_t nWorker)>;
std::size_t ParallelFor(std::size_t nCount, std::size_t nWorkers, const IndexedJob& job);
