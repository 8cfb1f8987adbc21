#include "data/CA1TimeSeries.h"
#include "data/DegreeConversion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

CA1TimeSeries SeriesOf(const std::vector<std::pair<double, double>>& points,
                       double rotationDeg = 0.0) {
    CA1TimeSeries series;
    std::int32_t image = 1;
    for (const auto& [x, y] : points)
        series.m_Samples.push_back({image++, x, y, 0.0, 0.0});
    series.m_dRotationDeg = rotationDeg;
    return series;
}

// A cross of four points whose long arm lies at `axisDeg`: x and y are
// uncorrelated only when the arms are turned onto the axes.
CA1TimeSeries TiltedCross(double axisDeg) {
    const double a = axisDeg * kDegToRad;
    const double c = std::cos(a);
    const double s = std::sin(a);
    return SeriesOf({{3 * c, 3 * s}, {-3 * c, -3 * s}, {-s, c}, {s, -c}});
}

} // namespace

TEST(A1Statistics, MomentsFollowTheRotationAndLeaveOutputsAloneWithoutSamples) {
    const CA1TimeSeries line = SeriesOf({{1.0, 2.0}, {3.0, 6.0}});
    double mx = 0, my = 0, vx = 0, cxy = 0, vy = 0;
    line.GetMeanXY(mx, my, 0.0);
    line.GetCovarianceXY(vx, cxy, vy, mx, my, 0.0);
    EXPECT_DOUBLE_EQ(mx, 2.0);
    EXPECT_DOUBLE_EQ(my, 4.0);
    EXPECT_DOUBLE_EQ(vx, 1.0); // 1/N, not 1/(N-1)
    EXPECT_DOUBLE_EQ(cxy, 2.0);
    EXPECT_DOUBLE_EQ(vy, 4.0);

    // Counter-clockwise by 90 degrees: x' = -y, y' = x.
    line.GetMeanXY(mx, my, 90.0);
    EXPECT_NEAR(mx, -4.0, 1e-9);
    EXPECT_NEAR(my, 2.0, 1e-9);

    const CA1TimeSeries empty;
    mx = my = vx = cxy = vy = 7.0;
    empty.GetMeanXY(mx, my, 10.0);
    empty.GetCovarianceXY(vx, cxy, vy, 0.0, 0.0, 10.0);
    EXPECT_EQ(mx + my + vx + cxy + vy, 35.0);
}

TEST(A1Statistics, SearchFindsTheAngleOfLeastCorrelation) {
    double angle = 99.0;
    double correlation = 99.0;
    ASSERT_TRUE(TiltedCross(30.0).FindMinCorrelationRotation(angle, correlation));
    EXPECT_NEAR(angle, -30.0, 1e-9);
    EXPECT_NEAR(correlation, 0.0, 1e-9);

    // Samples on y = x stay on a line under every rotation; only the
    // rounding at 45 degrees, where x' almost vanishes, lowers |corr|.
    const CA1TimeSeries diagonal = SeriesOf({{1, 1}, {2, 2}, {3, 3}, {5, 5}});
    ASSERT_TRUE(diagonal.FindMinCorrelationRotation(angle, correlation));
    EXPECT_LT(correlation, 1.0);
    EXPECT_NEAR(angle, 45.0, 1e-9);

    // A constant y has no correlation at angle 0, but turned it has one.
    const CA1TimeSeries flat = SeriesOf({{1, 0}, {2, 0}, {4, 0}});
    ASSERT_TRUE(flat.FindMinCorrelationRotation(angle, correlation));
    EXPECT_NEAR(correlation, 1.0, 1e-9);
}

TEST(A1Statistics, StatisticsLinesTakeTheirFormByTheSpread) {
    struct CASE {
        CA1TimeSeries series;
        const char* statistics;
        const char* correlation;
    };
    const CASE cases[] = {
        {CA1TimeSeries(), "Avg. (A22x,A22y): (0.00, 0.00) nm, SDev: (0.00, 0.00) nm", ""},
        {SeriesOf({{1, 5}, {3, 5}}), "Avg. (A22x,A22y): (2.00, 5.00) nm, SDev: (1.00, 0.00) nm",
         ""},
        // The angle found is added to the series' own rotation.
        {[] {
             CA1TimeSeries s = TiltedCross(30.0);
             s.m_dRotationDeg = 10.0;
             return s;
         }(),
         "(A22x,A22y) Avg: (0.00, 0.00) nm, SDev: (1.87, 1.22) nm, x-y-corr: 0.756",
         "Minimum correlation with -20.0 deg rotation (0.000)."},
    };
    for (const CASE& c : cases) {
        std::string statistics = "old";
        std::string correlation = "old";
        c.series.GetStatisticsText(statistics, correlation);
        EXPECT_EQ(statistics, c.statistics);
        EXPECT_EQ(correlation, c.correlation);
    }
}
