#include "data/CA1TimeSeries.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// A series with the given image numbers and A22 values from value(image).
CA1TimeSeries MakeSeries(const std::vector<std::int32_t>& images,
                         const std::function<double(std::int32_t)>& xOf,
                         const std::function<double(std::int32_t)>& yOf) {
    CA1TimeSeries series;
    for (std::int32_t image : images)
        series.m_Samples.push_back(A1SAMPLE{image, xOf(image), yOf(image), 0.0, 0.0});
    return series;
}

std::vector<std::int32_t> Range(std::int32_t first, std::int32_t last) {
    std::vector<std::int32_t> images;
    for (std::int32_t i = first; i <= last; ++i)
        images.push_back(i);
    return images;
}

double Zero(std::int32_t) {
    return 0.0;
}

} // namespace

TEST(CharFunction, NeedsTenDistancesBeyondTheMinimumDiversity) {
    LogCapture log;
    auto linear = [](std::int32_t n) { return static_cast<double>(n); };

    CA1TimeSeries tooShort = MakeSeries(Range(1, 100), linear, Zero);
    tooShort.m_pLog = log.Log();
    tooShort.m_nCFuncState = 1; // an earlier evaluation survives
    tooShort.EvaluateCharFunction(10);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{
                               "ERROR: The recorded series is too short. Record more images!"});
    EXPECT_EQ(tooShort.m_nCFuncState, 1);
    EXPECT_EQ(tooShort.m_nMinDiversity, 10);

    log.Clear();
    CA1TimeSeries enough = MakeSeries(Range(1, 101), linear, Zero);
    enough.m_pLog = log.Log();
    enough.EvaluateCharFunction(10);
    // the line through (1, 1), (2, 4), (3, 9) meets the axis at -10/3: no
    // measurable noise, so the error is 0 (not the root of a negative
    // number), while the records are still freed of the intercept
    const std::vector<std::string> expected = {
        "Extracting data for the characteristic function...",
        "- inter-image distances of 1 up to 10",
        "- extracted measurement error: 0.000 nm, (0.000, 0.000) nm",
        "The characteristic function was extracted successfully."};
    EXPECT_EQ(log.Lines(), expected);
    EXPECT_EQ(enough.m_nCFuncState, 1);
    ASSERT_EQ(enough.m_CFuncData.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        const A1SAMPLE& record = enough.m_CFuncData[i];
        const double k = static_cast<double>(i + 1);
        EXPECT_EQ(record.nImage, static_cast<std::int32_t>(i + 1));
        EXPECT_NEAR(record.dX, k * k + 10.0 / 3.0, 1e-12);
        EXPECT_EQ(record.dErrX, 0.0);
    }
    EXPECT_DOUBLE_EQ(enough.m_dCFuncSlope, 4.0);
    EXPECT_EQ(enough.m_dMeasError, 0.0);
}

TEST(CharFunction, SilentBelowTheMinimumDiversityAndForNonPositiveDiversity) {
    LogCapture log;
    CA1TimeSeries series = MakeSeries(Range(1, 9), Zero, Zero);
    series.m_pLog = log.Log();
    series.EvaluateCharFunction(10);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(series.m_nMinDiversity, 10);

    series.EvaluateCharFunction(0);
    series.EvaluateCharFunction(-3);
    EXPECT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(series.m_nCFuncState, 0);
}

TEST(CharFunction, MeansVariancesInterceptAndResetOfLaterStages) {
    // one spike of 2 nm at image 1: distance k has n = 11 - k pairs, one of
    // them with a squared difference of 4
    CA1TimeSeries series = MakeSeries(
        Range(1, 11), [](std::int32_t n) { return n == 1 ? 2.0 : 0.0; }, Zero);
    series.m_nModelState = 1;
    series.m_dModelDi = 5.0;
    series.m_dModelSSqr = 2.0;
    series.m_dTolerance = 1.0;
    series.m_dLifetime = 3.0;
    series.m_nLifetimeState = 1;
    series.m_dModelLifetime = 7.0;
    series.m_nModelLifetimeState = kModelLifetimeFound;
    series.EvaluateCharFunction(1);

    ASSERT_EQ(series.m_nCFuncState, 1);
    EXPECT_EQ(series.m_nMinDiversity, 1);
    EXPECT_EQ(series.m_nModelState, 0);
    EXPECT_EQ(series.m_dModelDi, 0.0);
    EXPECT_EQ(series.m_dModelSSqr, 0.0);
    EXPECT_EQ(series.m_dTolerance, 0.0);
    EXPECT_EQ(series.m_dLifetime, 0.0);
    EXPECT_EQ(series.m_nLifetimeState, 0);
    EXPECT_EQ(series.m_dModelLifetime, 0.0);
    EXPECT_EQ(series.m_nModelLifetimeState, 0);

    // means 4/10, 4/9, 4/8 at k = 1, 2, 3: mean 121/270, slope 1/20, value of
    // the line at k = 0: 121/270 - 2/20 = 47/135
    const double intercept = 47.0 / 135.0;
    EXPECT_DOUBLE_EQ(series.m_dCFuncSlope, 0.05);
    EXPECT_DOUBLE_EQ(series.m_dMeasErrorX, std::sqrt(intercept));
    EXPECT_EQ(series.m_dMeasErrorY, 0.0);
    EXPECT_DOUBLE_EQ(series.m_dMeasError, std::sqrt(intercept));
    ASSERT_EQ(series.m_CFuncData.size(), 9u); // kmax = 10 is not evaluated
    for (const A1SAMPLE& record : series.m_CFuncData) {
        const double pairs = 11.0 - record.nImage;
        EXPECT_NEAR(record.dX, 4.0 / pairs - intercept, 1e-15);
        // population variance of one 4 and (n - 1) zeros: 16 (n - 1) / n^2
        EXPECT_NEAR(record.dErrX, 16.0 * (pairs - 1.0) / (pairs * pairs), 1e-15);
        EXPECT_EQ(record.dY, 0.0);
        EXPECT_EQ(record.dErrY, 0.0);
    }
}

TEST(CharFunction, PairsAcrossAGapAreSkipped) {
    // image 6 is missing: blocks 1..5 and 7..12. Position pairs across the gap
    // are one image too far apart; distances 6 to 9 have no pairs at all.
    std::vector<std::int32_t> images = Range(1, 5);
    for (std::int32_t n : Range(7, 12))
        images.push_back(n);
    CA1TimeSeries series = MakeSeries(
        images, [](std::int32_t n) { return static_cast<double>(n); },
        [](std::int32_t n) { return n % 2 ? 1.0 : 0.0; });
    series.EvaluateCharFunction(1);

    ASSERT_EQ(series.m_nCFuncState, 1);
    ASSERT_EQ(series.m_CFuncData.size(), 5u);
    // y: odd distances change the parity (1), even ones not (0); the line
    // through (1, 1), (2, 0), (3, 1) is flat at 2/3
    for (std::size_t i = 0; i < 5; ++i) {
        const A1SAMPLE& record = series.m_CFuncData[i];
        const double k = static_cast<double>(i + 1);
        EXPECT_EQ(record.nImage, static_cast<std::int32_t>(i + 1));
        EXPECT_NEAR(record.dX, k * k + 10.0 / 3.0,
                    1e-12); // a pair across the gap would give (k + 1)^2
        EXPECT_NEAR(record.dY, (i % 2 == 0 ? 1.0 : 0.0) - 2.0 / 3.0, 1e-15);
        EXPECT_EQ(record.dErrX, 0.0);
    }
    EXPECT_DOUBLE_EQ(series.m_dMeasErrorY, std::sqrt(2.0 / 3.0));
    EXPECT_EQ(series.m_dMeasErrorX, 0.0);
    // the intercepts add up to 2/3 - 10/3 < 0: no measurable noise
    EXPECT_EQ(series.m_dMeasError, 0.0);
}

TEST(CharFunction, TotalErrorIsTheRootOfTheSummedIntercepts) {
    // x drifts by 0.1 per image: its line meets the axis at -1/30; y
    // alternates between 0 and 1: intercept 2/3. The total is the root of
    // their sum, not of the clamped components.
    CA1TimeSeries series = MakeSeries(
        Range(1, 40), [](std::int32_t n) { return 0.1 * n; },
        [](std::int32_t n) { return n % 2 ? 1.0 : 0.0; });
    series.EvaluateCharFunction(2);
    ASSERT_EQ(series.m_nCFuncState, 1);
    EXPECT_EQ(series.m_dMeasErrorX, 0.0);
    EXPECT_DOUBLE_EQ(series.m_dMeasErrorY, std::sqrt(2.0 / 3.0));
    EXPECT_DOUBLE_EQ(series.m_dMeasError, std::sqrt(2.0 / 3.0 - 1.0 / 30.0));
}

TEST(CharFunction, TooManyGapsKeepTheEarlierEvaluation) {
    LogCapture log;
    std::vector<std::int32_t> everyOther;
    for (std::int32_t n = 1; n <= 23; n += 2)
        everyOther.push_back(n);
    CA1TimeSeries series = MakeSeries(everyOther, Zero, Zero);
    series.m_pLog = log.Log();
    series.m_CFuncData.push_back(A1SAMPLE{1, 2.0, 3.0, 0.0, 0.0});
    series.m_nCFuncState = 1;
    series.m_nModelState = 1;
    series.EvaluateCharFunction(1);
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[2].rfind("ERROR: ", 0), 0u);
    EXPECT_EQ(series.m_nCFuncState, 1);
    EXPECT_EQ(series.m_nModelState, 1);
    ASSERT_EQ(series.m_CFuncData.size(), 1u);
    EXPECT_EQ(series.m_CFuncData[0].dX, 2.0);
}

TEST(CharFunction, ConstantSeriesGivesZeros) {
    CA1TimeSeries series = MakeSeries(
        Range(-5, 30), [](std::int32_t) { return 1.5; }, [](std::int32_t) { return -2.0; });
    series.EvaluateCharFunction(3);
    ASSERT_EQ(series.m_nCFuncState, 1);
    EXPECT_EQ(series.m_CFuncData.size(), 10u); // kmax = floor(35 / 3) = 11
    for (const A1SAMPLE& record : series.m_CFuncData) {
        EXPECT_EQ(record.dX, 0.0);
        EXPECT_EQ(record.dY, 0.0);
        EXPECT_EQ(record.dErrX + record.dErrY, 0.0);
    }
    EXPECT_EQ(series.m_dCFuncSlope, 0.0);
    EXPECT_EQ(series.m_dMeasError, 0.0);
}

TEST(CharFunction, OverflowingValuesAreNoResult) {
    // One value far beyond any astigmatism: its squared differences overflow.
    for (const double huge : {1e160, 1e200}) {
        LogCapture log;
        CA1TimeSeries series = MakeSeries(
            Range(1, 200), [&](std::int32_t n) { return n == 50 ? huge : 0.01 * n; }, Zero);
        series.m_pLog = log.Log();
        series.EvaluateCharFunction(10);
        EXPECT_EQ(series.m_nCFuncState, 0) << huge;
        EXPECT_TRUE(series.m_CFuncData.empty());
        EXPECT_TRUE(log.Has("ERROR: The characteristic function could not be evaluated: the "
                            "astigmatism values are too large (their differences or squares "
                            "overflow)."));
        series.FitModel(1);
        EXPECT_EQ(series.m_nModelState, 0);
    }
}
