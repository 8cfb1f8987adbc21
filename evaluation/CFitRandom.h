#pragma once

#include <cstdint>
#include <ctime>

// The 32-bit linear congruential generator of the model fit's random
// restarts: state = state * 214013 + 2531011 (mod 2^32); a draw is bits 16 to
// 30 of the new state, 0 to 32767.
class CFitRandom {
public:
    explicit CFitRandom(std::uint32_t nSeed) : m_nState(nSeed) {}

    std::int32_t Next() {
        m_nState = m_nState * 214013u + 2531011u;
        return static_cast<std::int32_t>((m_nState >> 16) & 0x7FFFu);
    }
    // A draw as a fraction in [0, 1).
    double NextFraction() { return Next() / 32768.0; }

private:
    std::uint32_t m_nState;
};

// Seed from a UTC calendar time: every second gives another sequence.
std::uint32_t FitSeedFromUtc(const std::tm& utc);
// Seed from the current UTC time.
std::uint32_t FitSeedNow();
