#pragma once

#include "evaluation/CTuple.h"
#include "evaluation/StabilityModel.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class CLogFile;

// Finds the parameters of a model function that minimise the s-square, the
// (optionally weighted) sum of squared deviations from a set of data points,
// by a quasi-Newton method with BFGS updates and a backtracking line search.
// Parameters whose bound flag is set never leave their bounds: the result of
// every minimisation lies inside them.
//
// Order of use: set m_pLog and m_bWeighted; RegisterData; RegisterFunction;
// write start values, bounds and bound flags (and scales, if the parameters
// differ by orders of magnitude); then GetSSquare and Minimize as often as
// needed.
class CFitModule {
public:
    // Model value at the abscissa *pX for the *pnParams parameters.
    using ModelFunction = double (*)(const double* pX, const std::int32_t* pnParams,
                                     const double* pParams);
    // Partial derivatives of the model value by each parameter into pGradient.
    using GradientFunction = void (*)(const double* pX, const std::int32_t* pnParams,
                                      const double* pParams, double* pGradient);

    enum Result : int {
        NotSetUp = 0,
        Success = 1,
        InvalidParameter = 2,
        InvalidMethod = 5,
        InconsistentSizes = 6,
        RoundOff = 7,
        RangeViolation = 10,
        // ended on m_pAbort; its result is not wanted, so nothing is logged
        Aborted = 11,
    };

    CFitModule() = default;
    CFitModule(const CFitModule&) = delete;
    CFitModule& operator=(const CFitModule&) = delete;

    // Registers the four-parameter stability model; returns the number of
    // parameters (4), or 0 when the arrays cannot be allocated.
    int RegisterFunction();
    // Any model with its analytic gradient; returns nParams, or 0 on failure.
    int RegisterFunction(ModelFunction pfnModel, GradientFunction pfnGradient,
                         std::int32_t nParams);
    // Copies n abscissae, values and weights (an absent array leaves zeros).
    // Returns m_nParams.
    int RegisterData(std::int32_t n, const double* x, const double* y, const double* w);
    // True once a model and data are registered.
    bool IsSetUp() const;

    // s-square for pParams (null: m_pParams); false, with dOut untouched,
    // while the module is not set up.
    bool GetSSquare(double& dOut, const double* pParams = nullptr) const;
    // Gradient of the s-square by the parameters into pOut (m_nParams values).
    bool GetSSquareGradient(double* pOut, const double* pParams = nullptr) const;

    // Minimises from m_pParams and writes the result back; *pIterations gets
    // the index of the last iteration started. Returns a Result code.
    int Minimize(std::int32_t* pIterations, double dGTol);

    CLogFile* m_pLog = nullptr; // not owned; null keeps the module silent
    // Not owned; once another thread sets it, a running Minimize ends at its
    // next iteration with Aborted, for a result that nobody will look at.
    const std::atomic<bool>* m_pAbort = nullptr;
    // Not owned; the same for the user's cancel of the whole fit.
    const std::atomic<bool>* m_pCancel = nullptr;
    std::int32_t m_bWeighted = 0;
    std::int32_t m_nParams = 0;
    std::int32_t m_nData = 0;
    std::unique_ptr<double[]> m_pParams;
    std::unique_ptr<double[]> m_pBounds; // lower at 2j, upper at 2j + 1
    std::unique_ptr<std::int32_t[]> m_pBounded;
    // Minimize works on p_j / m_pScales[j], so that parameters of very
    // different magnitude look alike to its first steps and its tests.
    // Powers of two make the division and the way back exact, so that no
    // parameter loses a bit on the way; 1 (the default) leaves parameter j
    // as it is, and so does a scale that is not a positive finite number.
    std::unique_ptr<double[]> m_pScales;
    // A minimisation whose s-square has not decreased in this many iterations
    // in a row ends with its last point; 0 lets it run to the iteration limit.
    std::int32_t m_nStallIterations = 0;
    std::unique_ptr<double[]> m_pX;
    std::unique_ptr<double[]> m_pY;
    std::unique_ptr<double[]> m_pW;
    double m_dSSquare = -1.0; // of the last accepted point; -1 while there is none
    ModelFunction m_pfnModel = nullptr;
    GradientFunction m_pfnGradient = nullptr;

private:
    // the stability model's values and decays at m_ScratchParams, valid
    // while m_bScratchValid
    mutable std::vector<double> m_Scratch;
    double m_dWeightSum = 0.0; // of the registered weights, in the records' sum order
    mutable double m_ScratchParams[4] = {};
    mutable bool m_bScratchValid = false;
    // the scales and the bounds divided by them, for the running Minimize
    CTuple m_Scale;
    std::vector<double> m_ScaledBounds;

    // The s-square and its gradient; called only once the module is set up.
    double SSquare(const CTuple& p) const;
    CTuple SSquareGradient(const CTuple& p) const;
    // A sum over the records divided by the sum of the weights when the fit
    // is weighted.
    double WeightedMean(double dSum) const;
    bool IsStabilityModel() const;
    // The registered data, without the weights when the fit is unweighted.
    FITRECORDS Records() const;
    const double* StabilityModelValuesAt(const CTuple& p) const;
    CTuple StabilityModelSSquareGradient(const CTuple& p) const;
    // The s-square and its gradient over the scaled parameters q.
    double ScaledSSquare(const CTuple& q) const;
    CTuple ScaledSSquareGradient(const CTuple& q) const;
    // Works on the scaled parameters, like the bound helpers below.
    int QuasiNewton(CTuple& p, std::int32_t* pIterations, double dGTol);
    // Bounded parameter j at or beyond its lower or upper bound.
    bool BelowLower(const CTuple& p, std::uint32_t j) const;
    bool AboveUpper(const CTuple& p, std::uint32_t j) const;
    void ProjectOntoBounds(CTuple& p) const;
    // The gradient without the components that push a parameter against its
    // bound: 0 where the bounded minimum is reached.
    CTuple ProjectedGradient(const CTuple& p, const CTuple& g) const;
    // The quasi-Newton direction on the parameters that are free to move;
    // resets the inverse Hessian when it would lead out of the bounds.
    CTuple FeasibleDirection(const CTuple& p, const CTuple& g, std::vector<double>& hessian) const;
    int LineSearch(const CTuple& xold, double fold, const CTuple& g, CTuple& xi, CTuple& x,
                   double& fret, double stpmax) const;
    void Report(int nResult) const;
};
