#include "evaluation/PairStatistics.h"
#include "evaluation/PairSumKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// The plain evaluation, slow and obvious: for each distance, the pairs
// exactly k image numbers apart (by position, or every pair of the series),
// their mean, then the squared deviations.
std::vector<A1SAMPLE> TwoPassReference(const std::vector<A1SAMPLE>& s, std::int32_t kEnd,
                                       GapPairRule rule = GapPairRule::Adjacent) {
    std::vector<A1SAMPLE> records;
    // Ascending numbers let the search for a partner stop past distance k;
    // the pairs are visited in the same order either way.
    bool ascending = true;
    for (std::size_t i = 1; i < s.size(); ++i)
        ascending = ascending && s[i].nImage > s[i - 1].nImage;
    for (std::int32_t k = 1; k < kEnd; ++k) {
        std::vector<double> qx, qy;
        for (std::size_t i = 0; i < s.size(); ++i)
            for (std::size_t j = rule == GapPairRule::Adjacent ? i + static_cast<std::size_t>(k)
                                                               : i + 1;
                 j < s.size(); ++j) {
                const std::int64_t distance = static_cast<std::int64_t>(s[j].nImage) - s[i].nImage;
                if (ascending && distance > k)
                    break;
                if (rule == GapPairRule::Adjacent && j != i + static_cast<std::size_t>(k))
                    break;
                if (distance != k)
                    continue;
                qx.push_back((s[j].dX - s[i].dX) * (s[j].dX - s[i].dX));
                qy.push_back((s[j].dY - s[i].dY) * (s[j].dY - s[i].dY));
            }
        if (qx.empty())
            continue;
        double mx = 0.0, my = 0.0;
        for (std::size_t i = 0; i < qx.size(); ++i) {
            mx += qx[i];
            my += qy[i];
        }
        mx /= static_cast<double>(qx.size());
        my /= static_cast<double>(qy.size());
        double vx = 0.0, vy = 0.0;
        for (std::size_t i = 0; i < qx.size(); ++i) {
            vx += (qx[i] - mx) * (qx[i] - mx);
            vy += (qy[i] - my) * (qy[i] - my);
        }
        records.push_back(A1SAMPLE{k, mx, my, vx / static_cast<double>(qx.size()),
                                   vy / static_cast<double>(qy.size())});
    }
    return records;
}

enum class Numbering { Contiguous, Gaps, Duplicates, BackwardSteps, RegularSteps, Sparse };

// A random walk around 1e3 nm with 1e-2 nm steps, a strong linear drift and
// noise, numbered as asked. Regular steps sit at every 1/32 of the series,
// where an even sample of the pairs one image apart looks: such a sample
// overweights them, and its mean is far from the mean of all pairs.
std::vector<A1SAMPLE> Walk(std::size_t count, Numbering numbering, unsigned seed) {
    std::mt19937 engine(seed);
    std::normal_distribution<double> step(0.0, 0.01);
    std::normal_distribution<double> noise(0.0, 0.003);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<A1SAMPLE> samples;
    double x = 1000.0, y = -700.0;
    std::int32_t image = 5;
    std::set<std::size_t> steps;
    for (std::size_t j = 0; j < 32; ++j)
        steps.insert(j * (count - 1) / 32);
    for (std::size_t i = 0; i < count; ++i) {
        x += step(engine) + 0.02;
        y += step(engine) - 0.005;
        if (numbering == Numbering::RegularSteps && i > 0 && steps.count(i - 1))
            x += 3.0;
        samples.push_back(A1SAMPLE{image, x + noise(engine), y + noise(engine), 0, 0});
        const double u = unit(engine);
        std::int32_t next = 1;
        if (numbering == Numbering::Gaps)
            next = u < 0.01 ? 2 : (u < 0.012 ? 40 : 1);
        if (numbering == Numbering::Duplicates)
            next = u < 0.05 ? 0 : 1;
        if (numbering == Numbering::BackwardSteps)
            next = u < 0.02 ? -3 : 1;
        // more than ten image numbers per sample: no grid
        if (numbering == Numbering::Sparse)
            next = u < 0.5 ? 1 : 25;
        image += next;
    }
    return samples;
}

void ExpectAgreement(const std::vector<A1SAMPLE>& actual, const std::vector<A1SAMPLE>& expected,
                     const std::string& label) {
    ASSERT_EQ(actual.size(), expected.size()) << label;
    const auto relative = [](double a, double b) {
        return std::fabs(a - b) / std::max(std::fabs(b), 1e-300);
    };
    for (std::size_t i = 0; i < actual.size(); ++i) {
        ASSERT_EQ(actual[i].nImage, expected[i].nImage) << label;
        EXPECT_LE(relative(actual[i].dX, expected[i].dX), 1e-12) << label << " k " << i + 1;
        EXPECT_LE(relative(actual[i].dY, expected[i].dY), 1e-12) << label << " k " << i + 1;
        EXPECT_LE(relative(actual[i].dErrX, expected[i].dErrX), 1e-10) << label << " k " << i + 1;
        EXPECT_LE(relative(actual[i].dErrY, expected[i].dErrY), 1e-10) << label << " k " << i + 1;
    }
}

std::string KernelTestName(const ::testing::TestParamInfo<CharKernel>& info) {
    const char* const names[] = {"Sse2", "Avx2", "Avx512", "Portable"};
    return names[static_cast<int>(info.param)];
}

class PairStatisticsKernel : public ::testing::TestWithParam<CharKernel> {
protected:
    void SetUp() override {
        if (!IsCharKernelSupported(GetParam()))
            GTEST_SKIP() << CharKernelName(GetParam()) << " is not supported here";
        ForceCharKernel(GetParam());
    }
    void TearDown() override { ForceCharKernel(std::nullopt); }
};

} // namespace

TEST_P(PairStatisticsKernel, AgreesWithThePlainTwoPassEvaluation) {
    ASSERT_EQ(ChosenCharKernel(), GetParam());
    // 101 samples are just above the minimum for a diversity of 10; 5000
    // samples with 500 distances run on two threads. Repeated or backward
    // numbers pair by position under either rule.
    for (std::size_t count : {101u, 1000u, 5000u}) {
        for (Numbering numbering :
             {Numbering::Contiguous, Numbering::Gaps, Numbering::Duplicates,
              Numbering::BackwardSteps, Numbering::RegularSteps, Numbering::Sparse}) {
            const std::vector<A1SAMPLE> samples =
                Walk(count, numbering, static_cast<unsigned>(count) + 7);
            const auto kEnd = static_cast<std::int32_t>((count - 1) / 10);
            const bool ordered =
                numbering != Numbering::Duplicates && numbering != Numbering::BackwardSteps;
            for (GapPairRule rule : {GapPairRule::ImageNumbers, GapPairRule::Adjacent})
                ExpectAgreement(
                    ComputePairStatistics(samples, kEnd, {}, nullptr, rule),
                    TwoPassReference(samples, kEnd, ordered ? rule : GapPairRule::Adjacent),
                    std::to_string(count) + " samples, numbering " +
                        std::to_string(static_cast<int>(numbering)) + ", rule " +
                        std::to_string(static_cast<int>(rule)));
        }
    }
}

// A mask of ones weighs every pair by exactly 1: the masked loop gives the
// unmasked loop's bits, so a grid with holes differs from a contiguous
// series only by the pairs it leaves out.
TEST_P(PairStatisticsKernel, AMaskOfOnesKeepsTheBits) {
    const std::vector<A1SAMPLE> samples = Walk(3001, Numbering::Contiguous, 11);
    std::vector<double> x, y;
    for (const A1SAMPLE& s : samples) {
        x.push_back(s.dX);
        y.push_back(s.dY);
    }
    const std::vector<double> ones(x.size(), 1.0);
    const std::vector<double> shiftX(300, 0.02), shiftY(300, 0.01);
    std::vector<SHIFTEDSUMS> plain(300), masked(300);
    PAIRSUMSJOB job{x.data(), y.data(),      x.size(),      0,           x.size(), 1,
                    300,      shiftX.data(), shiftY.data(), plain.data()};
    CharKernelFunction(GetParam())(job);
    job.pSums = masked.data();
    job.pMask = ones.data();
    CharKernelFunction(GetParam())(job);
    for (std::size_t k = 1; k < 300; ++k) {
        EXPECT_EQ(plain[k].dSumX, masked[k].dSumX) << k;
        EXPECT_EQ(plain[k].dSumSqX, masked[k].dSumSqX) << k;
        EXPECT_EQ(plain[k].dSumY, masked[k].dSumY) << k;
        EXPECT_EQ(plain[k].dSumSqY, masked[k].dSumSqY) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(EachKernel, PairStatisticsKernel, ::testing::ValuesIn(kEveryCharKernel),
                         KernelTestName);

// Missing images cost their own pairs only: with every tenth image gone,
// the pairs of distance k stay near 0.81 (N - k) instead of dying out like
// 0.9^k, and the function reaches the last distance.
TEST(PairStatistics, PairsBridgeMissingImages) {
    std::vector<A1SAMPLE> samples;
    for (std::int32_t image = 1; image <= 2000; ++image)
        if (image % 10 != 0)
            samples.push_back(A1SAMPLE{image, 0.01 * image, 0.0, 0, 0});
    const std::vector<A1SAMPLE> grid = ComputePairStatistics(samples, 180, {});
    const std::vector<A1SAMPLE> adjacent =
        ComputePairStatistics(samples, 180, {}, nullptr, GapPairRule::Adjacent);
    ASSERT_EQ(grid.size(), 179u);
    EXPECT_EQ(grid.back().nImage, 179);
    // a straight line: every pair of distance k differs by 0.01 k
    EXPECT_NEAR(grid.back().dX, 0.01 * 0.01 * 179 * 179, 1e-12);
    EXPECT_LT(adjacent.size(), 10u);
}

TEST(PairStatistics, ProgressRisesToTheWholeOnTheCallingThread) {
    const std::vector<A1SAMPLE> samples = Walk(5000, Numbering::Gaps, 3);
    std::vector<double> reported;
    const auto caller = std::this_thread::get_id();
    bool onCaller = true;
    ComputePairStatistics(samples, 499, [&](double done) {
        reported.push_back(done);
        onCaller = onCaller && std::this_thread::get_id() == caller;
    });
    ASSERT_FALSE(reported.empty());
    EXPECT_TRUE(onCaller);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_GT(reported.front(), 0.0);
    EXPECT_EQ(reported.back(), 1.0);
}
