#include "evaluation/ModelPathGenerator.h"
#include "data/LogSimulator.h"
#include "evaluation/StabilityModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

struct PATHCASE {
    const char* name;
    ModelParameters params; // Di, Da, tc (image steps), s
    bool bValid;            // a process with stationary increments, nothing clipped
};

// A walk, a walk with drift, a decaying part that matters but leaves a valid
// process, and one where Da dominates so that f falls back after its peak.
const PATHCASE kCases[] = {
    {"walk", {0.05, 0.0, 0.0, 0.0}, true},
    {"walk with drift", {0.05, 0.0, 0.0, 0.01}, true},
    {"decaying part", {0.05, 0.1, 20.0, 0.002}, true},
    {"Da dominates", {0.01, 0.1, 10.0, 0.0}, false},
};

} // namespace

// Over many draws the mean of |A(k) - A(0)|^2 is the model's f(k), within
// five standard errors estimated from the draws' own spread; the clipped
// share tells the valid model from the nearest valid one.
TEST(ModelPathGenerator, MeanSquareChangeIsTheModelsF) {
    constexpr std::int64_t kPoints = 257;
    constexpr int kDraws = 2000;
    const std::int64_t lags[] = {1, 4, 20, 64, 256};
    for (const PATHCASE& c : kCases) {
        SCOPED_TRACE(c.name);
        CModelPathGenerator generator;
        ASSERT_TRUE(generator.Prepare(c.params, kPoints, 30.0));
        EXPECT_EQ(generator.Points(), kPoints);
        EXPECT_EQ(generator.ClippedShare() > kNegligibleClippedShare, !c.bValid);
        if (!c.bValid)
            continue;
        CSimulationRandom random(17);
        MODELPATH path;
        std::vector<double> sum(std::size(lags), 0.0);
        std::vector<double> squares(std::size(lags), 0.0);
        for (int d = 0; d < kDraws; ++d) {
            generator.Draw(random, path);
            ASSERT_EQ(path.x.size(), static_cast<std::size_t>(kPoints));
            EXPECT_EQ(path.x[0], 0.0);
            for (std::size_t i = 0; i < std::size(lags); ++i) {
                const auto k = static_cast<std::size_t>(lags[i]);
                const double change = path.x[k] * path.x[k] + path.y[k] * path.y[k];
                sum[i] += change;
                squares[i] += change * change;
            }
        }
        for (std::size_t i = 0; i < std::size(lags); ++i) {
            const double mean = sum[i] / kDraws;
            const double spread = std::sqrt(squares[i] / kDraws - mean * mean);
            const double expected = ModelFunction(c.params, static_cast<double>(lags[i]));
            EXPECT_NEAR(mean, expected, 5.0 * spread / std::sqrt(double{kDraws}))
                << "k = " << lags[i];
        }
    }
}

// The drift runs at its angle (converted by the program's written factor,
// whose cosine of 90 degrees is a few 1e-12), and a stream gives the same
// path every time.
TEST(ModelPathGenerator, DriftAtItsAngleAndTheSameStreamTheSamePath) {
    CModelPathGenerator drift;
    ASSERT_TRUE(drift.Prepare({0.0, 0.0, 0.0, 0.02}, 11, 90.0));
    CSimulationRandom random(1);
    MODELPATH path;
    drift.Draw(random, path);
    for (std::size_t n = 0; n < path.x.size(); ++n) {
        EXPECT_NEAR(path.x[n], 0.0, 1e-9);
        EXPECT_NEAR(path.y[n], 0.02 * static_cast<double>(n), 1e-9);
    }

    CModelPathGenerator generator;
    ASSERT_TRUE(generator.Prepare({0.05, 0.1, 20.0, 0.0}, 1000));
    MODELPATH a;
    MODELPATH b;
    CSimulationRandom first(9);
    CSimulationRandom second(9);
    generator.Draw(first, a);
    generator.Draw(second, b);
    EXPECT_EQ(std::memcmp(a.x.data(), b.x.data(), a.x.size() * sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(a.y.data(), b.y.data(), a.y.size() * sizeof(double)), 0);
}

TEST(ModelPathGenerator, RefusesWhatGivesNoPath) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        ModelParameters params;
        std::int64_t points;
    } cases[] = {
        {{0.05, 0.0, 0.0, 0.0}, 0},    {{0.05, 0.0, 0.0, 0.0}, kMaxModelPathPoints + 1},
        {{inf, 0.0, 0.0, 0.0}, 100},   {{0.05, std::nan(""), 10.0, 0.0}, 100},
        {{1e300, 0.0, 0.0, 0.0}, 100}, // Di^2 overflows
    };
    for (const auto& c : cases) {
        CModelPathGenerator generator;
        EXPECT_FALSE(generator.Prepare(c.params, c.points)) << c.points;
        EXPECT_FALSE(generator.IsPrepared());
    }
}
