#include "evaluation/CFitModule.h"
#include "evaluation/CTuple.h"
#include "evaluation/StabilityModel.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kGTol = 2.220446049250313e-15;

// f(x) = a + b x: a two-parameter model whose s-square is a plain quadratic.
double LineModel(const double* pX, const std::int32_t*, const double* p) {
    return p[0] + p[1] * *pX;
}

void LineGradient(const double* pX, const std::int32_t*, const double* p, double* pGradient) {
    (void)p;
    pGradient[0] = 1.0;
    pGradient[1] = *pX;
}

std::vector<double> ModelValues(const std::vector<double>& x, const std::vector<double>& params) {
    std::vector<double> y;
    const std::int32_t n = 4;
    for (double k : x)
        y.push_back(StabilityModelValue(&k, &n, params.data()));
    return y;
}

} // namespace

TEST(CTuple, ElementWiseDotAndMatrixProducts) {
    const double a[] = {1.0, -2.0, 3.0};
    const double b[] = {4.0, 5.0};
    const CTuple ta(a, 3);
    const CTuple tb(b, 2);
    EXPECT_DOUBLE_EQ(ta.Dot(tb), 1.0 * 4.0 - 2.0 * 5.0); // over the shorter length
    const CTuple sum = ta + tb;
    ASSERT_EQ(sum.Size(), 3u);
    EXPECT_DOUBLE_EQ(sum[1], 3.0);
    EXPECT_DOUBLE_EQ(sum[2], 3.0); // beyond the second operand: unchanged
    EXPECT_DOUBLE_EQ((-ta).Abs().Max(2.5)[0], 2.5);
    EXPECT_DOUBLE_EQ(ta.Quotient(tb)[0], 0.25);
    EXPECT_DOUBLE_EQ(ta.MaxElement(), 3.0);
    // result_j = sum_i a_i M[i n + j]
    const std::vector<double> matrix = {1, 2, 0, 0, 1, 0, 0, 0, 2};
    const CTuple product = ta.MatrixProduct(matrix);
    EXPECT_DOUBLE_EQ(product[0], 1.0);
    EXPECT_DOUBLE_EQ(product[1], 2.0 - 2.0);
    EXPECT_DOUBLE_EQ(product[2], 6.0);
    const double broken[] = {1.0, std::nan(""), 0.5};
    EXPECT_TRUE(std::isnan(CTuple(broken, 3).MaxElement()));
}

TEST(CFitModule, SSquareUnweightedAndWeighted) {
    CFitModule module;
    const double x[] = {1.0, 2.0, 3.0};
    const double y[] = {1.0, 2.0, 2.0};
    const double w[] = {1.0, 1.0, 2.0};
    EXPECT_EQ(module.RegisterData(3, x, y, w), 0);
    EXPECT_EQ(module.RegisterFunction(), 4);
    // all parameters 0: the model is 0 and the residuals are 1, 2, 2
    double s = -5.0;
    ASSERT_TRUE(module.GetSSquare(s));
    EXPECT_DOUBLE_EQ(s, 9.0);
    module.m_bWeighted = 1;
    ASSERT_TRUE(module.GetSSquare(s));
    EXPECT_DOUBLE_EQ(s, 3.25);
}

TEST(CFitModule, GradientMatchesFiniteDifferences) {
    const std::vector<double> x = {1, 2, 3, 5, 8, 13};
    const std::vector<double> y = {1.1, 2.0, 3.5, 4.1, 7.0, 9.0};
    const std::vector<double> w = {1, 2, 1, 3, 1, 0.5};
    for (int weighted = 0; weighted < 2; ++weighted) {
        CFitModule module;
        module.m_bWeighted = weighted;
        module.RegisterData(6, x.data(), y.data(), w.data());
        module.RegisterFunction();
        const double params[] = {0.4, 0.9, 4.0, 0.1};
        double gradient[4];
        ASSERT_TRUE(module.GetSSquareGradient(gradient, params));
        for (int j = 0; j < 4; ++j) {
            double up[4] = {params[0], params[1], params[2], params[3]};
            double down[4] = {params[0], params[1], params[2], params[3]};
            const double h = 1e-6;
            up[j] += h;
            down[j] -= h;
            double sUp = 0.0, sDown = 0.0;
            module.GetSSquare(sUp, up);
            module.GetSSquare(sDown, down);
            EXPECT_NEAR(gradient[j], (sUp - sDown) / (2 * h), 1e-5 * (1 + std::fabs(gradient[j])))
                << "parameter " << j << ", weighted " << weighted;
        }
    }
}

TEST(CFitModule, TcGradientVanishesAtZeroCorrelationTime) {
    const double k = 3.0;
    const std::int32_t n = 4;
    const double params[] = {0.5, 1.0, 0.0, 0.1};
    double gradient[4];
    StabilityModelGradient(&k, &n, params, gradient);
    EXPECT_EQ(gradient[2], 0.0);
    EXPECT_DOUBLE_EQ(StabilityModelValue(&k, &n, params), 0.01 * 9 + 6 * 0.25);
}

TEST(CFitModule, NotSetUpAndInvalidCallsAreReported) {
    LogCapture log;
    CFitModule module;
    module.m_pLog = log.Log();
    std::int32_t iterations = -1;
    EXPECT_EQ(module.Minimize(&iterations, kGTol), CFitModule::NotSetUp);
    double s = 7.0;
    EXPECT_FALSE(module.GetSSquare(s));
    EXPECT_EQ(s, 7.0);

    EXPECT_EQ(module.RegisterData(0, nullptr, nullptr, nullptr), 0);
    module.RegisterFunction();
    EXPECT_EQ(module.Minimize(&iterations, kGTol), CFitModule::NotSetUp);

    const double x[] = {1.0};
    module.RegisterData(1, x, x, x);
    module.m_pParams.reset();
    EXPECT_EQ(module.Minimize(&iterations, kGTol), CFitModule::InvalidParameter);

    const std::vector<std::string> expected = {
        "ERROR: s-square minimization failed because the module is not properly set up.",
        "ERROR: Failed to register data, invalid parameters.",
        "ERROR: s-square minimization failed because the module is not properly set up.",
        "ERROR: Minimization routine called with invalid parameter."};
    EXPECT_EQ(log.Lines(), expected);
}

TEST(CFitModule, ExactStartValuesStayUnchanged) {
    const std::vector<double> generating = {0.5, 1.0, 6.0, 0.05};
    std::vector<double> x;
    for (int k = 1; k <= 20; ++k)
        x.push_back(k);
    const std::vector<double> y = ModelValues(x, generating);
    const std::vector<double> w(x.size(), 1.0);
    CFitModule module;
    module.m_bWeighted = 1;
    module.RegisterData(20, x.data(), y.data(), w.data());
    module.RegisterFunction();
    for (int j = 0; j < 4; ++j)
        module.m_pParams[j] = generating[j];
    std::int32_t iterations = -1;
    EXPECT_EQ(module.Minimize(&iterations, kGTol), CFitModule::Success);
    EXPECT_EQ(iterations, 0);
    EXPECT_EQ(module.m_dSSquare, 0.0);
    for (int j = 0; j < 4; ++j)
        EXPECT_EQ(module.m_pParams[j], generating[j]);
}

TEST(CFitModule, BoundedParameterStopsAtItsBound) {
    // s-square (a - 10)^2 + (a + b - 10)^2, minimum at a = 10, b = 0; with a
    // held within [-1, 1] the bounded minimum is a = 1, b = 9. The first line
    // search would land at a = 7.7, and the second start lies outside.
    const double x[] = {0.0, 1.0};
    const double y[] = {10.0, 10.0};
    for (double start : {0.0, 5.0}) {
        for (double upper : {1.0, 100.0}) {
            LogCapture log;
            CFitModule module;
            module.m_pLog = log.Log();
            module.RegisterData(2, x, y, nullptr);
            module.RegisterFunction(&LineModel, &LineGradient, 2);
            module.m_pParams[0] = start;
            module.m_pBounds[0] = -upper;
            module.m_pBounds[1] = upper;
            module.m_pBounded[0] = 1;
            std::int32_t iterations = 0;
            EXPECT_EQ(module.Minimize(&iterations, kGTol), CFitModule::Success);
            const double a = std::min(upper, 10.0);
            EXPECT_NEAR(module.m_pParams[0], a, 1e-9);
            EXPECT_LE(module.m_pParams[0], upper);
            EXPECT_NEAR(module.m_pParams[1], 10.0 - a, 1e-9);
            EXPECT_NEAR(module.m_dSSquare, (a - 10.0) * (a - 10.0), 1e-9);
            EXPECT_TRUE(log.Lines().empty());
        }
    }
}

TEST(CFitModule, StartThatIsNotANumberEnds) {
    const double x[] = {1.0, 2.0, 3.0};
    const double y[] = {1.0, 2.0, 3.0};
    CFitModule module;
    module.RegisterData(3, x, y, nullptr);
    module.RegisterFunction();
    module.m_pParams[1] = std::numeric_limits<double>::quiet_NaN();
    std::int32_t iterations = 0;
    EXPECT_EQ(module.Minimize(&iterations, kGTol), CFitModule::Success);
    EXPECT_TRUE(std::isnan(module.m_dSSquare));
}

TEST(CFitModule, ScalesOfTheParametersMagnitudesEndTheCreeping) {
    // Records of the stability model with a drifting walk of long memory:
    // Di and s of a few picometres per step, tc of 800 steps. Unscaled, the
    // minimisation from the same start creeps to the iteration limit.
    const std::vector<double> generating = {0.004, 0.004, 800.0, 0.0014};
    std::vector<double> x;
    for (int k = 1; k <= 2000; ++k)
        x.push_back(k);
    const std::vector<double> y = ModelValues(x, generating);
    const double bounds[8] = {-0.006, 0.006, -0.008, 0.008, 0.0, 2000.0, -0.003, 0.003};
    const double start[4] = {0.001, -0.007, 1500.0, 0.002};
    struct CASE {
        double dScaleTc;
        bool bCapped;
    };
    // widths' powers of two; scales that are not positive finite numbers
    // leave the parameter unscaled
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> unscaled;
    for (const CASE& c : {CASE{1024.0, false}, CASE{1.0, true}, CASE{0.0, true}, CASE{-4.0, true},
                          CASE{nan, true}}) {
        CFitModule module;
        module.RegisterData(static_cast<std::int32_t>(x.size()), x.data(), y.data(), nullptr);
        module.RegisterFunction();
        for (int j = 0; j < 4; ++j) {
            module.m_pParams[j] = start[j];
            module.m_pBounds[2 * j] = bounds[2 * j];
            module.m_pBounds[2 * j + 1] = bounds[2 * j + 1];
            module.m_pBounded[j] = 1;
        }
        if (!c.bCapped) {
            module.m_pScales[0] = 1.0 / 128.0;
            module.m_pScales[1] = 1.0 / 64.0;
            module.m_pScales[3] = 1.0 / 256.0;
        }
        module.m_pScales[2] = c.dScaleTc;
        std::int32_t iterations = 0;
        EXPECT_EQ(module.Minimize(&iterations, kGTol), CFitModule::Success);
        EXPECT_EQ(iterations == 1999, c.bCapped) << c.dScaleTc << ": " << iterations;
        if (!c.bCapped) {
            EXPECT_NEAR(std::fabs(module.m_pParams[0]), generating[0], 1e-9);
            EXPECT_NEAR(std::fabs(module.m_pParams[1]), generating[1], 1e-9);
            EXPECT_NEAR(module.m_pParams[2], generating[2], 1e-6);
            EXPECT_NEAR(std::fabs(module.m_pParams[3]), generating[3], 1e-12);
        } else if (unscaled.empty()) {
            unscaled.assign(module.m_pParams.get(), module.m_pParams.get() + 4);
        } else {
            EXPECT_EQ(std::vector<double>(module.m_pParams.get(), module.m_pParams.get() + 4),
                      unscaled);
        }
    }
}

TEST(CFitModule, AStalledMinimisationEndsWithItsLastPoint) {
    // Data that want Di^2 below 0: the best Di is 0, where the s-square turns
    // flat to its last bit while the parameter test still sees Di move.
    std::vector<double> x, y;
    for (int k = 1; k <= 500; ++k) {
        x.push_back(k);
        y.push_back(ModelValues({static_cast<double>(k)}, {0.0, 0.3, 40.0, 0.002})[0] - 1e-4 * k +
                    1e-3 * std::sin(1.7 * k));
    }
    double reached[2] = {};
    std::int32_t iterations[2] = {};
    for (int stalls : {0, 1}) {
        CFitModule module;
        module.RegisterData(static_cast<std::int32_t>(x.size()), x.data(), y.data(), nullptr);
        module.RegisterFunction();
        const double start[4] = {0.01, 0.2, 30.0, 0.001};
        const double scales[4] = {1.0 / 64.0, 0.5, 8.0, 1.0 / 256.0};
        for (int j = 0; j < 4; ++j) {
            module.m_pParams[j] = start[j];
            module.m_pScales[j] = scales[j];
        }
        module.m_nStallIterations = stalls ? 50 : 0;
        EXPECT_EQ(module.Minimize(&iterations[stalls], kGTol), CFitModule::Success);
        EXPECT_LT(std::fabs(module.m_pParams[0]), 1e-9);
        reached[stalls] = module.m_dSSquare;
    }
    EXPECT_LT(iterations[1], iterations[0]);
    EXPECT_EQ(reached[1], reached[0]);
}
