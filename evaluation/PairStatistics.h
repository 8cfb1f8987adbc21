#pragma once

#include "data/A1Types.h"
#include "infra/ProgressCallback.h"

#include <cstdint>
#include <vector>

// The statistics of the characteristic function before the intercept is
// taken off: for every distance k = 1 .. kEnd - 1 that has at least one pair
// of samples exactly k image numbers apart, the record {k, mean of dx^2, mean
// of dy^2, population variance of dx^2, of dy^2}. Throws std::bad_alloc when
// its arrays cannot be allocated. Once `pAbort` is set it returns no records.
std::vector<A1SAMPLE> ComputePairStatistics(const std::vector<A1SAMPLE>& samples, std::int32_t kEnd,
                                            const ProgressCallback& progress,
                                            const AbortFlag* pAbort = nullptr);
