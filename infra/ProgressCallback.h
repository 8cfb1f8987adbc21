#pragma once

#include <functional>

// Told the share of a long computation done so far, from 0 to 1. The core
// calls it on the caller's own thread and leaves to the caller whether and
// how to show it; an empty callback is never called.
using ProgressCallback = std::function<void(double dDone)>;
