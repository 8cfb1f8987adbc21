#include "report/ReportTestSupport.h"

#include "support/TestSupport.h"

#include <bit>
#include <cstdlib>
#include <gtest/gtest.h>

CA1TimeSeries MakeEvaluatedSeries() {
    CA1TimeSeries series;
    series.m_strFileName = "/data/logs/run1.log";
    series.m_nFirstLine = 10;
    series.m_nLastLine = 16;
    series.m_nImportType = 1;
    series.m_dPeriod = 0.5;
    series.m_Samples = {{1, 1.234567, -0.654321, 0.0, 0.0},
                        {2, 0.0000012345, 2.5, 0.0, 0.0},
                        {4, -3.25, 100000.0, 0.0, 0.0}};
    // Twenty records with a gap at distance 7, as gaps in the image numbers
    // leave them; record 2 holds a value small enough for the exponent form.
    for (std::int32_t k = 1; k <= 21; ++k) {
        if (k == 7)
            continue;
        series.m_CFuncData.push_back({k, 0.004 * k, 0.003 * k, 1e-6 * k, 2e-6 * k});
    }
    series.m_CFuncData[1] = {2, 0.0000012345, 0.0, 1e-12, 0.0};
    series.m_nCFuncState = 1;
    series.m_nMinDiversity = 10;
    series.m_dMeasError = 0.0123;
    series.m_dMeasErrorX = 0.0087;
    series.m_dMeasErrorY = 0.0087;
    series.m_dCFuncSlope = 0.007;
    series.m_dTolerance = 1.26984;
    series.m_dLimitPhase = 0.25;
    series.m_dElEnergy = 300.0;
    series.m_dTargetRes = 1.0;
    series.m_nLifetimeState = 1;
    series.m_dLifetime = 7.5;
    series.m_nModelState = 1;
    series.m_dModelDi = 0.08;
    series.m_dModelDa = 0.05;
    series.m_dModelTc = 12.3;
    series.m_dModelS = 0.004;
    series.m_dModelLifetime = 60.0;
    series.m_nModelLifetimeState = kModelLifetimeFound;
    series.m_dModelSSqr = 0.000123;
    return series;
}

void ExpectMatchesGolden(const std::string& actual, const std::string& name) {
    const std::string path = FixturePath(name);
    const char* update = std::getenv("TESSARIC_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        WriteFileBytes(path, actual);
        return;
    }
    const std::string expected = ReadFileBytes(path);
    ASSERT_FALSE(expected.empty()) << "missing golden file " << path;
    EXPECT_EQ(actual, expected) << "differs from golden file " << path;
}

std::int32_t Int32At(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    return static_cast<std::int32_t>(value);
}

float Float32At(const std::string& bytes, std::size_t offset) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(Int32At(bytes, offset)));
}
