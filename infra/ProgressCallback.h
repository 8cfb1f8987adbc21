#pragma once

#include <atomic>
#include <functional>

// Told the share of a long computation done so far, from 0 to 1. The core
// calls it on the caller's own thread and leaves to the caller whether and
// how to show it; an empty callback is never called.
using ProgressCallback = std::function<void(double dDone)>;

// Set from any thread to ask a long computation to stop. The computation then
// returns soon and leaves every result it would have changed as it was; a
// null flag never asks.
using AbortFlag = std::atomic<bool>;

inline bool IsAborted(const AbortFlag* pAbort) {
    return pAbort && pAbort->load(std::memory_order_relaxed);
}
