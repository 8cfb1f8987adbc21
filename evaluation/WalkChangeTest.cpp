#include "evaluation/WalkChangeTest.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace {

// The distances of the window's line, as for the measurement error of the
// whole characteristic function.
constexpr int kLineDistances = 3;
// Below this many windows even the largest rank CUSUM stays above a
// significance of 0.05 (for 10 windows the smallest p is 0.03).
constexpr std::size_t kMinChangeWindows = 10;
// A window with fewer neighbouring pairs than this share of its images
// (the last, cut short by the end of the series, or one mostly missing)
// gives a slope of another precision; it is left out of the test.
constexpr double kMinPairShare = 0.5;

struct DISTANCESUMS {
    double dSum[kLineDistances + 1] = {};
    std::int32_t nPairs[kLineDistances + 1] = {};
};

// The slope over the window's sums; false when a distance has no pair.
bool WindowSlope(const DISTANCESUMS& sums, double& slope) {
    for (int k = 1; k <= kLineDistances; ++k)
        if (sums.nPairs[k] == 0)
            return false;
    const double f1 = sums.dSum[1] / sums.nPairs[1];
    const double f3 = sums.dSum[3] / sums.nPairs[3];
    // the least-squares slope through three equally spaced points depends
    // on the outer two only
    slope = (f3 - f1) / 2.0;
    return true;
}

std::vector<WALKWINDOW> WindowSlopes(const std::vector<A1SAMPLE>& samples, std::int32_t nWindow) {
    std::vector<WALKWINDOW> windows;
    if (samples.empty())
        return windows;
    const std::int64_t first = samples.front().nImage;
    const auto windowOf = [&](std::size_t i) { return (samples[i].nImage - first) / nWindow; };
    std::size_t begin = 0;
    while (begin < samples.size()) {
        const std::int64_t window = windowOf(begin);
        std::size_t end = begin;
        while (end < samples.size() && windowOf(end) == window)
            ++end;
        DISTANCESUMS sums;
        for (std::size_t i = begin; i < end; ++i) {
            for (std::size_t j = i + 1; j < end && j <= i + kLineDistances; ++j) {
                const std::int64_t k =
                    static_cast<std::int64_t>(samples[j].nImage) - samples[i].nImage;
                if (k < 1 || k > kLineDistances)
                    continue;
                const double dx = samples[j].dX - samples[i].dX;
                const double dy = samples[j].dY - samples[i].dY;
                sums.dSum[k] += dx * dx + dy * dy;
                ++sums.nPairs[k];
            }
        }
        WALKWINDOW entry;
        entry.nFirstImage = static_cast<std::int32_t>(first + window * nWindow);
        entry.nPairs = sums.nPairs[1];
        if (WindowSlope(sums, entry.dSlope) && entry.nPairs >= kMinPairShare * nWindow)
            windows.push_back(entry);
        begin = end;
    }
    return windows;
}

// Ranks 1..m of the slopes (ties in window order: the slopes are continuous).
std::vector<double> Ranks(const std::vector<WALKWINDOW>& windows) {
    std::vector<std::size_t> order(windows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return windows[a].dSlope < windows[b].dSlope;
    });
    std::vector<double> ranks(windows.size());
    for (std::size_t r = 0; r < order.size(); ++r)
        ranks[order[r]] = static_cast<double>(r + 1);
    return ranks;
}

double PooledDi(const std::vector<WALKWINDOW>& windows, std::size_t begin, std::size_t end) {
    double slope = 0.0;
    for (std::size_t w = begin; w < end; ++w)
        slope += windows[w].dSlope;
    slope /= static_cast<double>(end - begin);
    return std::sqrt(std::max(slope, 0.0) / 2.0);
}

} // namespace

double WALKWINDOW::Di() const {
    return std::sqrt(std::max(dSlope, 0.0) / 2.0);
}

std::int32_t ChooseChangeWindow(const std::vector<A1SAMPLE>& samples) {
    if (samples.empty())
        return kMinWindowImages;
    const std::int64_t span =
        static_cast<std::int64_t>(samples.back().nImage) - samples.front().nImage + 1;
    return static_cast<std::int32_t>(
        std::max<std::int64_t>(kMinWindowImages, span / kChangeWindows));
}

WALKCHANGE TestWalkChange(const std::vector<A1SAMPLE>& samples, std::int32_t nWindow) {
    WALKCHANGE result;
    result.nWindow = nWindow > 0 ? nWindow : ChooseChangeWindow(samples);
    result.windows = WindowSlopes(samples, result.nWindow);
    const std::size_t m = result.windows.size();
    if (m < kMinChangeWindows)
        return result;
    result.bTested = true;

    const std::vector<double> ranks = Ranks(result.windows);
    const double count = static_cast<double>(m);
    double rankSum = 0.0;
    double largest = -1.0;
    std::size_t split = 1; // the later part starts at this window
    for (std::size_t t = 1; t < m; ++t) {
        rankSum += ranks[t - 1];
        const double cusum = std::fabs(2.0 * rankSum - static_cast<double>(t) * (count + 1.0));
        if (cusum > largest) {
            largest = cusum;
            split = t;
        }
    }
    // Pettitt's approximation, good to the second decimal for p <= 0.5.
    result.dSignificance = std::min(
        1.0, 2.0 * std::exp(-6.0 * largest * largest / (count * count * count + count * count)));
    result.bChanged = result.dSignificance < kChangeSignificance;
    result.nChangeImage = result.windows[split].nFirstImage;
    result.dDiBefore = PooledDi(result.windows, 0, split);
    result.dDiAfter = PooledDi(result.windows, split, m);
    return result;
}
