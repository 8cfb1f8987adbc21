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

TEST(StabilityModel, BatchGivesTheBitsOfTheSingleForm) {
    std::vector<double> k;
    for (int i = 1; i <= 37; ++i) // an odd count leaves a remainder after the vector lanes
        k.push_back(i * 3.0);
    const std::int32_t nParams = 4;
    for (CharKernel kernel : kEveryCharKernel) {
        if (!IsCharKernelSupported(kernel))
            continue;
        ForceCharKernel(kernel);
        for (const std::vector<double>& p : {std::vector<double>{0.3, -0.7, 12.5, 0.01},
                                             std::vector<double>{-0.2, 0.4, 0.0, -0.02}}) {
            const std::size_t n = k.size();
            std::vector<double> f(n), decay(n), di(n), da(n), tc(n), s(n);
            StabilityModelValues(k.data(), n, p.data(), f.data(), decay.data());
            StabilityModelGradients(k.data(), n, p.data(), decay.data(), di.data(), da.data(),
                                    tc.data(), s.data());
            for (std::size_t i = 0; i < n; ++i) {
                double gradient[4];
                StabilityModelGradient(&k[i], &nParams, p.data(), gradient);
                const double value = StabilityModelValue(&k[i], &nParams, p.data());
                EXPECT_EQ(f[i], value) << CharKernelName(kernel);
                EXPECT_EQ(di[i], gradient[0]);
                EXPECT_EQ(da[i], gradient[1]);
                EXPECT_EQ(tc[i], gradient[2]);
                EXPECT_EQ(s[i], gradient[3]);
            }
        }
    }
    ForceCharKernel(std::nullopt);
}
