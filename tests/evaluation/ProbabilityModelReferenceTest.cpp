// Agreement with an independent implementation. The reference values come from
// SciPy (scipy.stats.ncx2.cdf and scipy.special.iv); regenerate them with
//   /usr/bin/python3 tests/evaluation/make_ncx2_reference.py
#include "evaluation/ProbabilityModel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Rows of three numbers after the header line.
std::vector<std::array<double, 3>> ReadReference(const std::string& name) {
    std::vector<std::array<double, 3>> rows;
    std::ifstream in(FixturePath(name));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::array<double, 3> row{};
        std::istringstream fields(line);
        std::string field;
        for (double& value : row) {
            std::getline(fields, field, ',');
            value = std::strtod(field.c_str(), nullptr);
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(ProbabilityModelReference, CdfAgreesWithSciPyWithinOneMillionth) {
    const auto rows = ReadReference("ncx2_cdf_reference.csv");
    ASSERT_GT(rows.size(), 3000u);
    double worstNoncentral = 0.0;
    for (const auto& [x, lambda, expected] : rows) {
        const double f = NoncentralChi2Cdf(x, lambda);
        EXPECT_NEAR(f, expected, 1e-6) << "x = " << x << ", lambda = " << lambda;
        // Below lambda = 1e-6 the central formula differs by up to 2e-7 by design.
        if (lambda > 1e-6)
            worstNoncentral = std::max(worstNoncentral, std::fabs(f - expected));
    }
    // The series and the large-argument form are far more accurate than the
    // bound; a loss of accuracy shows here long before it fails above.
    EXPECT_LT(worstNoncentral, 1e-9);
}

TEST(ProbabilityModelReference, PublishedValue) {
    EXPECT_NEAR(NoncentralChi2Cdf(0.02, 0.6), 7.382308441994e-3, 1e-14);
}

TEST(ProbabilityModelReference, BesselAgreesWithSciPyWithinOneMillionthRelative) {
    const auto rows = ReadReference("bessel_i_reference.csv");
    ASSERT_GT(rows.size(), 300u);
    bool sawLowOrderLargeArgument = false;
    for (const auto& [order, x, expected] : rows) {
        const int n = static_cast<int>(order);
        const double value = n == 0 ? BesselI0(x) : BesselI(n, x);
        EXPECT_NEAR(value / expected, 1.0, 1e-6) << "n = " << n << ", x = " << x;
        if (n >= 2 && n <= 5 && x >= 50.0)
            sawLowOrderLargeArgument = true;
    }
    EXPECT_TRUE(sawLowOrderLargeArgument);
}
