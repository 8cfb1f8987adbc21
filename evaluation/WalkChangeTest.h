#pragma once

#include "data/A1Types.h"

#include <cstdint>
#include <vector>

// The strength of the random walk window by window, and a test whether it
// changed during the recording.
//
// Per window of W images, the slope of the window's own characteristic
// function over the distances 1, 2, 3 (the least-squares line that the
// characteristic function takes its intercept from, so measurement noise
// drops out) is 2 Di^2 there: f(t) rises by 2 Di^2 per image step at short
// spans.
//
// The change test is Pettitt's (1979) rank CUSUM over the windows' slopes:
// U(t) = 2 * (sum of the ranks of the first t windows) - t (m + 1), K = the
// largest |U(t)|, the change after the window where it is reached, and the
// significance p = 2 exp(-6 K^2 / (m^3 + m^2)). Ranks, because a window's
// slope is skewed (a mean of squares) and goes below 0 where noise
// dominates: a test on the values themselves would need a model of their
// distribution that no recording supplies. Windows share no pair, so the
// slopes of a stationary walk are independent, which is all the test
// assumes.

struct WALKWINDOW {
    std::int32_t nFirstImage = 0; // first image number of the window
    std::int32_t nPairs = 0;      // pairs one image apart inside it
    double dSlope = 0.0;          // nm^2 per image step (x and y together)
    double Di() const;            // sqrt(slope / 2), 0 for a slope below 0
};

struct WALKCHANGE {
    std::int32_t nWindow = 0; // images per window
    std::vector<WALKWINDOW> windows;
    bool bTested = false;          // enough windows for the test
    bool bChanged = false;         // significant at kChangeSignificance
    double dSignificance = 1.0;    // Pettitt's p
    std::int32_t nChangeImage = 0; // first image of the later part
    double dDiBefore = 0.0;        // nm, from the pooled slopes of each part
    double dDiAfter = 0.0;
};

// The window length chosen from the series: about kChangeWindows windows,
// never fewer than kMinWindowImages images each.
std::int32_t ChooseChangeWindow(const std::vector<A1SAMPLE>& samples);

// nWindow <= 0 chooses it. Samples in ascending image order; missing images
// only cost the window its pairs.
WALKCHANGE TestWalkChange(const std::vector<A1SAMPLE>& samples, std::int32_t nWindow = 0);

inline constexpr std::int32_t kChangeWindows = 20;
inline constexpr std::int32_t kMinWindowImages = 50;
inline constexpr double kChangeSignificance = 0.05;
