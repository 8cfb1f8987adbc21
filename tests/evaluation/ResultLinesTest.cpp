#include "data/CA1TimeSeries.h"

#include <gtest/gtest.h>

TEST(ResultLines, CFuncInfoGivesPointsLongestSpanAndError) {
    CA1TimeSeries series;
    series.m_dPeriod = 10.0;
    for (std::int32_t k = 1; k <= 57; ++k)
        series.m_CFuncData.push_back({k, 1.0, 1.0, 0.0, 0.0});
    series.m_dMeasError = 0.123456;
    EXPECT_EQ(series.GetCFuncInfoText(), "57 data points, max. timespan: 570.0 s, extrapolated "
                                         "measurement error: 0.123 nm");
}

TEST(ResultLines, ModelParametersShowTcInSecondsAndTheResidualWithOneDigit) {
    struct CASE {
        double dSSqr;
        const char* ending;
    };
    const CASE cases[] = {{0.0123, "s-sqr = 0.01"}, {123.4, "s-sqr = 1E+02"}, {1.0, "s-sqr =   1"}};
    for (const CASE& c : cases) {
        CA1TimeSeries series;
        series.m_dModelDi = 0.05;
        series.m_dModelDa = 0.0;
        series.m_dModelTc = 9.0;
        series.m_dPeriod = 2.5;
        series.m_dModelS = 0.00123;
        series.m_dModelSSqr = c.dSSqr;
        EXPECT_EQ(series.GetModelParameterText(),
                  std::string("Di = 0.05 nm, Da = 0 nm, tc = 22.5 s, s = 0.00123 nm, ") + c.ending);
    }
}
