#include "evaluation/CFitModule.h"

#include "evaluation/LaneSums.h"
#include "evaluation/MachineEpsilon.h"
#include "evaluation/StabilityModel.h"
#include "infra/CLogFile.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

// Parameter test: a step smaller than 4 eps relative to the parameters (or to
// 1 for parameters below 1) can no longer change them.
constexpr double kParamTolerance = 8.881784197001252e-16;
// A run on a few parameters converges long before this; the cap only ends a
// run that creeps along a flat valley, whose last point is then the result.
constexpr int kMaxIterations = 2000;
constexpr std::int32_t kStabilityModelParams = 4;
// Armijo constant of the sufficient-decrease condition.
constexpr double kSufficientDecrease = 0.0001;

std::unique_ptr<double[]> ZeroFilled(std::int32_t n) {
    return std::unique_ptr<double[]>(new (std::nothrow) double[static_cast<std::size_t>(n)]());
}

// The scaled size of a step or gradient relative to the parameters, with 1 as
// the floor so that parameters near 0 are judged absolutely.
CTuple RelativeToParams(const CTuple& values, const CTuple& p) {
    return values.Abs().Quotient(p.Abs().Max(1.0));
}

} // namespace

bool CFitModule::IsSetUp() const {
    return m_nParams > 0 && m_nData > 0 && m_pfnModel != nullptr;
}

int CFitModule::RegisterFunction() {
    return RegisterFunction(&StabilityModelValue, &StabilityModelGradient, kStabilityModelParams);
}

int CFitModule::RegisterFunction(ModelFunction pfnModel, GradientFunction pfnGradient,
                                 std::int32_t nParams) {
    m_pParams.reset();
    m_pBounds.reset();
    m_pBounded.reset();
    m_pScales.reset();
    m_bScratchValid = false;
    m_dSSquare = -1.0;
    m_nParams = 0;
    m_pfnModel = nullptr;
    m_pfnGradient = nullptr;
    if (nParams < 1)
        return 0;
    m_pParams = ZeroFilled(nParams);
    m_pBounds = ZeroFilled(2 * nParams);
    m_pBounded.reset(new (std::nothrow) std::int32_t[static_cast<std::size_t>(nParams)]());
    m_pScales = ZeroFilled(nParams);
    if (!m_pParams || !m_pBounds || !m_pBounded || !m_pScales) {
        if (m_pLog)
            m_pLog->WriteLine("ERROR: Failed to register function, allocation error.");
        m_pParams.reset();
        m_pBounds.reset();
        m_pBounded.reset();
        m_pScales.reset();
        return 0;
    }
    std::fill(m_pScales.get(), m_pScales.get() + nParams, 1.0);
    m_pfnModel = pfnModel;
    m_pfnGradient = pfnGradient;
    m_nParams = nParams;
    return m_nParams;
}

int CFitModule::RegisterData(std::int32_t n, const double* x, const double* y, const double* w) {
    if (n < 1 && m_pLog)
        m_pLog->WriteLine("ERROR: Failed to register data, invalid parameters.");
    m_pX.reset();
    m_pY.reset();
    m_pW.reset();
    m_bScratchValid = false;
    m_nData = 0;
    m_dWeightSum = 0.0;
    m_dSSquare = -1.0;
    if (n < 1)
        return m_nParams;
    m_pX = ZeroFilled(n);
    m_pY = ZeroFilled(n);
    m_pW = ZeroFilled(n);
    if (!m_pX || !m_pY || !m_pW) {
        if (m_pLog)
            m_pLog->WriteLine("ERROR: Failed to register data, allocation error.");
        m_pX.reset();
        m_pY.reset();
        m_pW.reset();
        return m_nParams;
    }
    const auto count = static_cast<std::size_t>(n);
    if (x)
        std::copy(x, x + count, m_pX.get());
    if (y)
        std::copy(y, y + count, m_pY.get());
    if (w)
        std::copy(w, w + count, m_pW.get());
    m_nData = n;
    m_dWeightSum = LaneSums<1>(count, [&](std::size_t i, double* t) { t[0] = m_pW[i]; })[0];
    return m_nParams;
}

bool CFitModule::IsStabilityModel() const {
    return m_pfnModel == &StabilityModelValue && m_pfnGradient == &StabilityModelGradient;
}

double CFitModule::SSquare(const CTuple& p) const {
    if (IsStabilityModel())
        return WeightedMean(StabilityModelSquareSum(Records(), StabilityModelValuesAt(p)));
    const auto sums = LaneSums<1>(static_cast<std::size_t>(m_nData), [&](std::size_t i, double* t) {
        const double residual = m_pfnModel(&m_pX[i], &m_nParams, p.Data()) - m_pY[i];
        t[0] = (m_bWeighted ? m_pW[i] : 1.0) * residual * residual;
    });
    return WeightedMean(sums[0]);
}

FITRECORDS CFitModule::Records() const {
    return {m_pX.get(), m_pY.get(), m_bWeighted ? m_pW.get() : nullptr,
            static_cast<std::size_t>(m_nData)};
}

CTuple CFitModule::SSquareGradient(const CTuple& p) const {
    const auto n = static_cast<std::uint32_t>(m_nParams);
    if (IsStabilityModel())
        return StabilityModelSSquareGradient(p);
    CTuple gradient(n);
    std::vector<double> partial(n);
    // four parameters at a time, the model evaluated anew for each four
    constexpr std::uint32_t kGroup = 4;
    for (std::uint32_t first = 0; first < n; first += kGroup) {
        const auto sums =
            LaneSums<kGroup>(static_cast<std::size_t>(m_nData), [&](std::size_t i, double* t) {
                const double f = m_pfnModel(&m_pX[i], &m_nParams, p.Data());
                m_pfnGradient(&m_pX[i], &m_nParams, p.Data(), partial.data());
                const double factor = 2.0 * (m_bWeighted ? m_pW[i] : 1.0) * (f - m_pY[i]);
                for (std::uint32_t j = 0; j < kGroup; ++j)
                    t[j] = first + j < n ? factor * partial[first + j] : 0.0;
            });
        for (std::uint32_t j = 0; j < kGroup && first + j < n; ++j)
            gradient[first + j] = WeightedMean(sums[j]);
    }
    return gradient;
}

// divided like the s-square itself, not multiplied by the reciprocal: the two
// differ in the last bit, and the minimisation follows every bit
double CFitModule::WeightedMean(double dSum) const {
    return m_bWeighted ? dSum / m_dWeightSum : dSum;
}

// The model values and decays at p; the minimisation asks for the gradient
// at the point whose s-square it has just accepted, so the last ones are kept.
const double* CFitModule::StabilityModelValuesAt(const CTuple& p) const {
    const auto count = static_cast<std::size_t>(m_nData);
    m_Scratch.resize(2 * count);
    const bool same = m_bScratchValid && p.Size() == 4 && p[0] == m_ScratchParams[0] &&
                      p[1] == m_ScratchParams[1] && p[2] == m_ScratchParams[2] &&
                      p[3] == m_ScratchParams[3];
    if (!same) {
        StabilityModelValues(m_pX.get(), count, p.Data(), m_Scratch.data(),
                             m_Scratch.data() + count);
        for (std::uint32_t j = 0; j < 4; ++j)
            m_ScratchParams[j] = p[j];
        m_bScratchValid = true;
    }
    return m_Scratch.data();
}

// The generic gradient above for the stability model: the partial
// derivatives from the kept decays, the sums in the same order, in one
// vectorised pass.
CTuple CFitModule::StabilityModelSSquareGradient(const CTuple& p) const {
    const double* f = StabilityModelValuesAt(p);
    const auto sums =
        StabilityModelGradientSums(Records(), p.Data(), f, f + static_cast<std::size_t>(m_nData));
    CTuple gradient(4);
    for (std::uint32_t j = 0; j < 4; ++j)
        gradient[j] = WeightedMean(sums[j]);
    return gradient;
}

double CFitModule::ScaledSSquare(const CTuple& q) const {
    return SSquare(q.Product(m_Scale));
}

CTuple CFitModule::ScaledSSquareGradient(const CTuple& q) const {
    return SSquareGradient(q.Product(m_Scale)).Product(m_Scale);
}

bool CFitModule::GetSSquare(double& dOut, const double* pParams) const {
    const double* params = pParams ? pParams : m_pParams.get();
    if (!IsSetUp() || !params)
        return false;
    dOut = SSquare(CTuple(params, static_cast<std::uint32_t>(m_nParams)));
    return true;
}

bool CFitModule::GetSSquareGradient(double* pOut, const double* pParams) const {
    const double* params = pParams ? pParams : m_pParams.get();
    if (!IsSetUp() || !m_pfnGradient || !pOut || !params)
        return false;
    SSquareGradient(CTuple(params, static_cast<std::uint32_t>(m_nParams))).CopyTo(pOut);
    return true;
}

int CFitModule::Minimize(std::int32_t* pIterations, double dGTol) {
    std::int32_t iterations = 0;
    int result = NotSetUp;
    if (!IsSetUp() || !m_pfnGradient) {
        result = NotSetUp;
    } else if (!m_pParams) {
        result = InvalidParameter;
    } else {
        const auto n = static_cast<std::uint32_t>(m_nParams);
        m_Scale = CTuple(n, 1.0);
        m_ScaledBounds.assign(m_pBounds.get(), m_pBounds.get() + 2 * n);
        for (std::uint32_t j = 0; j < n; ++j) {
            const double scale = m_pScales[j];
            if (!(scale > 0.0) || !std::isfinite(scale))
                continue;
            m_Scale[j] = scale;
            m_ScaledBounds[2 * j] /= scale;
            m_ScaledBounds[2 * j + 1] /= scale;
        }
        CTuple scratch = CTuple(m_pParams.get(), n).Quotient(m_Scale);
        result = QuasiNewton(scratch, &iterations, dGTol);
        // whatever the outcome: on a round-off failure the scratch copy still
        // holds the start values
        scratch.Product(m_Scale).CopyTo(m_pParams.get());
    }
    if (pIterations)
        *pIterations = iterations;
    Report(result);
    return result;
}

void CFitModule::Report(int nResult) const {
    if (!m_pLog || nResult == Success || nResult == Aborted)
        return;
    switch (nResult) {
    case NotSetUp:
        m_pLog->WriteLine(
            "ERROR: s-square minimization failed because the module is not properly set up.");
        break;
    case InvalidParameter:
        m_pLog->WriteLine("ERROR: Minimization routine called with invalid parameter.");
        break;
    case InvalidMethod:
        m_pLog->WriteLine("ERROR: Invalid minimization method.");
        break;
    case InconsistentSizes:
        m_pLog->WriteLine("ERROR: Parameter arrays have inconsitent sizes.");
        break;
    case RoundOff:
        m_pLog->WriteLine("ERROR: Round-off problem in the line-search algorithm.");
        break;
    case RangeViolation:
        m_pLog->WriteLine("ERROR: Range violation during s-square minimization.");
        break;
    default:
        m_pLog->WriteLine("ERROR: s-square minimization failed with an unspecified cause.");
        break;
    }
}

bool CFitModule::BelowLower(const CTuple& p, std::uint32_t j) const {
    return m_pBounded[j] && p[j] <= m_ScaledBounds[2 * j];
}

bool CFitModule::AboveUpper(const CTuple& p, std::uint32_t j) const {
    return m_pBounded[j] && p[j] >= m_ScaledBounds[2 * j + 1];
}

void CFitModule::ProjectOntoBounds(CTuple& p) const {
    for (std::uint32_t j = 0; j < p.Size(); ++j) {
        if (!m_pBounded[j])
            continue;
        // written as comparisons, so that a bound that is not a number
        // leaves the parameter free instead of poisoning it
        if (p[j] < m_ScaledBounds[2 * j])
            p[j] = m_ScaledBounds[2 * j];
        else if (p[j] > m_ScaledBounds[2 * j + 1])
            p[j] = m_ScaledBounds[2 * j + 1];
    }
}

CTuple CFitModule::ProjectedGradient(const CTuple& p, const CTuple& g) const {
    CTuple projected = g;
    for (std::uint32_t j = 0; j < p.Size(); ++j) {
        // a parameter held at its bound by a gradient that pushes outwards
        // is where it belongs
        if ((BelowLower(p, j) && g[j] > 0.0) || (AboveUpper(p, j) && g[j] < 0.0))
            projected[j] = 0.0;
    }
    return projected;
}

CTuple CFitModule::FeasibleDirection(const CTuple& p, const CTuple& g,
                                     std::vector<double>& hessian) const {
    const std::uint32_t n = p.Size();
    // The quasi-Newton step on the free parameters only: -H_ff g_f, with the
    // parameters held at their bounds left where they are. H_ff, a block of
    // a positive definite matrix, is positive definite itself, so the step
    // still leads downhill.
    const CTuple free = ProjectedGradient(p, g);
    CTuple xi = -free.MatrixProduct(hessian);
    bool outwards = false;
    for (std::uint32_t j = 0; j < n; ++j) {
        if (free[j] == 0.0 && g[j] != 0.0)
            xi[j] = 0.0;
        if ((BelowLower(p, j) && xi[j] < 0.0) || (AboveUpper(p, j) && xi[j] > 0.0))
            outwards = true;
    }
    // The curvature gathered so far would push a parameter out through the
    // bound that its own gradient leads it away from; restart from the
    // steepest descent, which never does.
    if (outwards) {
        std::fill(hessian.begin(), hessian.end(), 0.0);
        for (std::uint32_t i = 0; i < n; ++i)
            hessian[static_cast<std::size_t>(i) * n + i] = 1.0;
        xi = -free;
    }
    return xi;
}

// Quasi-Newton minimisation with BFGS updates of the inverse Hessian
// (Press et al., Numerical Recipes, 2nd ed., section 10.7), kept within the
// bounds of the bounded parameters: parameters that a gradient pushes
// against their bound are held there, and every trial point of the line
// search is projected onto the bounds (the projected quasi-Newton method,
// Bertsekas, SIAM J. Control Optim. 20 (1982) 221). Without bounds and
// scales it is the published method to the last bit; with scales it is that
// method on the scaled parameters, which amounts to starting from the inverse
// Hessian diag(scale²) and judging convergence relative to the scales
// (Dennis and Schnabel, Numerical Methods for Unconstrained Optimization,
// section 7.1). `start` holds the scaled start values on entry and the
// result on return, except after a round-off failure, when it keeps the
// start values (projected onto the bounds).
int CFitModule::QuasiNewton(CTuple& start, std::int32_t* pIterations, double dGTol) {
    const std::uint32_t n = start.Size();
    ProjectOntoBounds(start);
    CTuple p = start;
    double fp = ScaledSSquare(p);
    m_dSSquare = fp;
    CTuple g = ScaledSSquareGradient(p);

    std::vector<double> hessian(static_cast<std::size_t>(n) * n, 0.0);
    for (std::uint32_t i = 0; i < n; ++i)
        hessian[static_cast<std::size_t>(i) * n + i] = 1.0;
    CTuple xi = FeasibleDirection(p, g, hessian);
    const double stpmax = 100.0 * std::max(std::sqrt(p.Dot(p)), static_cast<double>(n));
    std::int32_t unchanged = 0; // iterations since the s-square last decreased

    for (int its = 0; its < kMaxIterations; ++its) {
        *pIterations = its;
        if ((m_pAbort && m_pAbort->load(std::memory_order_relaxed)) ||
            (m_pCancel && m_pCancel->load(std::memory_order_relaxed))) {
            start = p;
            return Aborted;
        }
        CTuple pnew;
        double fret = 0.0;
        if (LineSearch(p, fp, g, xi, pnew, fret, stpmax) == RoundOff)
            return RoundOff;
        // The line search accepts a step that leaves the s-square as it was
        // when the decrease it asks for is below the s-square's last bit.
        unchanged = fret < fp ? 0 : unchanged + 1;
        fp = fret;
        m_dSSquare = fp;
        xi = pnew - p;
        p = pnew;

        // converged in the parameters: the step no longer changes them
        if (RelativeToParams(xi, p).MaxElement() < kParamTolerance) {
            start = p;
            return Success;
        }
        CTuple dg = g;
        g = ScaledSSquareGradient(p);

        // converged in the gradient, scaled by the parameters and by the
        // s-square (or 1 when the s-square is below 1); the components that
        // only push against a bound do not count
        const double den = std::max(fret, 1.0);
        if (ProjectedGradient(p, g).Abs().Product(p.Abs().Max(1.0)).MaxElement() / den < dGTol) {
            start = p;
            return Success;
        }
        // Stalled: the steps have long stopped changing the s-square in its
        // last bit, so the rest of the iterations could lower it by a few
        // units in the last place at most; the last point is the result, as
        // at the iteration limit.
        if (m_nStallIterations > 0 && unchanged >= m_nStallIterations) {
            start = p;
            return Success;
        }

        dg = g - dg;
        const CTuple hdg = dg.MatrixProduct(hessian);
        double fac = dg.Dot(xi);
        const double fae = dg.Dot(hdg);
        const double sumdg = dg.Dot(dg);
        const double sumxi = xi.Dot(xi);
        // Skip the update unless the curvature condition holds clearly enough:
        // otherwise round-off could make the inverse Hessian lose its
        // positive definiteness.
        if (fac > std::sqrt(kEpsilon * sumdg * sumxi)) {
            fac = 1.0 / fac;
            const double fad = 1.0 / fae;
            const CTuple u = xi * fac - hdg * fad;
            for (std::uint32_t i = 0; i < n; ++i) {
                for (std::uint32_t j = 0; j < n; ++j) {
                    hessian[static_cast<std::size_t>(i) * n + j] +=
                        fac * xi[i] * xi[j] - fad * hdg[i] * hdg[j] + fae * u[i] * u[j];
                }
            }
        }
        xi = FeasibleDirection(p, g, hessian);
    }
    // running out of iterations is not an error: the last point is the result
    start = p;
    return Success;
}

// Backtracking line search along xi from xold with quadratic, then cubic
// interpolation of the step length (Numerical Recipes, section 9.7). Returns
// RoundOff when xi does not point downhill.
int CFitModule::LineSearch(const CTuple& xold, double fold, const CTuple& g, CTuple& xi, CTuple& x,
                           double& fret, double stpmax) const {
    // keeps the step within a sensible distance of the current point
    const double length = std::sqrt(xi.Dot(xi));
    if (length > stpmax)
        xi = xi * (stpmax / length);
    const double slope = g.Dot(xi);
    if (slope > 0.0)
        return RoundOff;
    const double test = RelativeToParams(xi, xold).MaxElement();
    const double alamin = kEpsilon / test;

    double alam = 1.0;
    double alam2 = 0.0;
    double f2 = 0.0;
    bool firstBacktrack = true;
    for (;;) {
        x = xold + xi * alam;
        ProjectOntoBounds(x);
        fret = ScaledSSquare(x);
        // The step is too short to change the point: give up and let the
        // caller's parameter test end the minimisation. Written so that a
        // limit that is not a number (a broken direction) or a step that has
        // shrunk to 0 ends the search too, instead of looping for ever.
        if (!(alam >= alamin) || !(alam > 0.0)) {
            x = xold;
            return Success;
        }
        if (fret <= fold + kSufficientDecrease * alam * slope)
            return Success;

        double tmplam = 0.0;
        if (firstBacktrack) {
            // minimum of the quadratic through f(0), f'(0) and f(1)
            tmplam = -slope / (2.0 * (fret - fold - slope));
            firstBacktrack = false;
        } else {
            // minimum of the cubic through f(0), f'(0) and the last two trials
            const double rhs1 = fret - fold - alam * slope;
            const double rhs2 = f2 - fold - alam2 * slope;
            const double a = (rhs1 / (alam * alam) - rhs2 / (alam2 * alam2)) / (alam - alam2);
            const double b =
                (-alam2 * rhs1 / (alam * alam) + alam * rhs2 / (alam2 * alam2)) / (alam - alam2);
            if (a == 0.0) {
                tmplam = -slope / (2.0 * b);
            } else {
                const double disc = b * b - 3.0 * a * slope;
                if (disc < 0.0)
                    tmplam = 0.5 * alam;
                else if (b <= 0.0)
                    tmplam = (-b + std::sqrt(disc)) / (3.0 * a);
                else
                    tmplam = -slope / (b + std::sqrt(disc));
            }
            // at most half the last step
            if (tmplam > 0.5 * alam)
                tmplam = 0.5 * alam;
        }
        alam2 = alam;
        f2 = fret;
        // At least a tenth of the last step, so the search cannot stall. An
        // interpolation that is not a number (a trial point outside the
        // model's domain, where the s-square overflows) fails the comparison
        // and falls back to that tenth too.
        alam = tmplam > 0.1 * alam ? tmplam : 0.1 * alam;
    }
}
