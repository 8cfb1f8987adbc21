#include "evaluation/CFitRandom.h"

std::uint32_t FitSeedFromUtc(const std::tm& utc) {
    // 32-bit arithmetic with wrap-around, as unsigned so that the overflow is
    // defined
    const auto year = static_cast<std::uint32_t>(utc.tm_year + 1900);
    const auto month = static_cast<std::uint32_t>(utc.tm_mon + 1);
    const auto day = static_cast<std::uint32_t>(utc.tm_mday);
    const auto hour = static_cast<std::uint32_t>(utc.tm_hour);
    const auto minute = static_cast<std::uint32_t>(utc.tm_min);
    const auto second = static_cast<std::uint32_t>(utc.tm_sec);
    return ((((12u * year + month) * 31u + day) * 24u + hour) * 60u + minute + 18452224u) * 60u +
           second;
}

std::uint32_t FitSeedNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    if (!::gmtime_r(&now, &utc))
        return static_cast<std::uint32_t>(now);
    return FitSeedFromUtc(utc);
}
