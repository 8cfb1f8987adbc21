#pragma once

#include "infra/CSafeFileWriter.h"

#include <cstddef>
#include <optional>

// Makes every safe file write fail beyond `bytes` while the guard lives, as a
// full disk would, and lifts the limit again even when an assertion ends the
// test early.
class WriteLimitGuard {
public:
    explicit WriteLimitGuard(std::size_t bytes) { CSafeFileWriter::SetWriteLimitForTesting(bytes); }
    ~WriteLimitGuard() { CSafeFileWriter::SetWriteLimitForTesting(std::nullopt); }
    WriteLimitGuard(const WriteLimitGuard&) = delete;
    WriteLimitGuard& operator=(const WriteLimitGuard&) = delete;
};
