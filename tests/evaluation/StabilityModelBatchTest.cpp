#include "evaluation/CFitModule.h"
#include "evaluation/ModelExp.h"
#include "evaluation/PairSumKernels.h"
#include "evaluation/StabilityModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

TEST(ModelExp, AgreesWithTheLibraryWithinTwoUnitsInTheLastPlace) {
    for (double x = -708.0; x <= 709.0; x += 0.0137) {
        const double expected = std::exp(x);
        EXPECT_LE(std::fabs(ModelExp(x) - expected),
                  2.0 * std::numeric_limits<double>::epsilon() * expected)
            << x;
    }
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ModelExp(0.0), 1.0);
    EXPECT_EQ(ModelExp(-inf), 0.0); // the decay at tc = 0
    EXPECT_EQ(ModelExp(-800.0), 0.0);
    EXPECT_EQ(ModelExp(710.0), inf);
    EXPECT_TRUE(std::isnan(ModelExp(std::numeric_limits<double>::quiet_NaN())));
}

namespace {

// The stability model behind pointers that the fit module does not know:
// its one-record-at-a-time path.
double OpaqueValue(const double* pK, const std::int32_t* pnParams, const double* pParams) {
    return StabilityModelValue(pK, pnParams, pParams);
}
void OpaqueGradient(const double* pK, const std::int32_t* pnParams, const double* pParams,
                    double* pGradient) {
    StabilityModelGradient(pK, pnParams, pParams, pGradient);
}

} // namespace

TEST(StabilityModel, BatchGivesTheBitsOfTheSingleForm) {
    // an odd count leaves a remainder after the vector lanes
    std::vector<double> k, y, w;
    for (int i = 1; i <= 37; ++i) {
        k.push_back(i * 3.0);
        y.push_back(0.02 * i + 0.001 * std::sin(i));
        w.push_back(1.0 / i);
    }
    const auto n = static_cast<std::int32_t>(k.size());
    const std::int32_t nParams = 4;
    for (CharKernel kernel : kEveryCharKernel) {
        if (!IsCharKernelSupported(kernel))
            continue;
        ForceCharKernel(kernel);
        for (const std::vector<double>& p : {std::vector<double>{0.3, -0.7, 12.5, 0.01},
                                             std::vector<double>{-0.2, 0.4, 0.0, -0.02}}) {
            std::vector<double> f(k.size()), decay(k.size());
            StabilityModelValues(k.data(), k.size(), p.data(), f.data(), decay.data());
            for (std::size_t i = 0; i < k.size(); ++i)
                EXPECT_EQ(f[i], StabilityModelValue(&k[i], &nParams, p.data()));

            // the fit's s-square and gradient, weighted and not
            for (std::int32_t weighted : {0, 1}) {
                CFitModule batch, single;
                for (CFitModule* fit : {&batch, &single}) {
                    fit->m_bWeighted = weighted;
                    fit->RegisterData(n, k.data(), y.data(), w.data());
                }
                batch.RegisterFunction();
                single.RegisterFunction(&OpaqueValue, &OpaqueGradient, nParams);
                double sBatch = 0.0, sSingle = 0.0, gBatch[4], gSingle[4];
                ASSERT_TRUE(batch.GetSSquare(sBatch, p.data()));
                ASSERT_TRUE(single.GetSSquare(sSingle, p.data()));
                ASSERT_TRUE(batch.GetSSquareGradient(gBatch, p.data()));
                ASSERT_TRUE(single.GetSSquareGradient(gSingle, p.data()));
                EXPECT_EQ(sBatch, sSingle) << CharKernelName(kernel);
                for (int j = 0; j < 4; ++j)
                    EXPECT_EQ(gBatch[j], gSingle[j]) << CharKernelName(kernel) << " " << j;
            }
        }
    }
    ForceCharKernel(std::nullopt);
}
