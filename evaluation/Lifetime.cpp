#include "data/CA1TimeSeries.h"
#include "evaluation/FitNotes.h"
#include "evaluation/ModelLifetimeSearch.h"
#include "evaluation/ProbabilityModel.h"
#include "infra/CNumber.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Only a positive, finite tolerance describes a region the astigmatism can
// leave; anything else comes from inputs such as an energy of 0 or below.
bool IsValidTolerance(double dTolerance) {
    return std::isfinite(dTolerance) && dTolerance > 0.0;
}

// Without a positive period no time span can be turned into image steps or
// back; the model search then runs in image steps from zero distance.
bool IsValidPeriod(double dPeriod) {
    return std::isfinite(dPeriod) && dPeriod > 0.0;
}

// VLARGE image steps in seconds, kept finite for periods above 1000 s.
double UnboundedSeconds(double dPeriod) {
    return std::min(VLARGE * dPeriod, std::numeric_limits<double>::max());
}

// The two ways the tolerance can miss the range of the characteristic
// function differ only in these words.
struct OUTOFRANGE {
    const char* comparison; // "smaller" or "larger"
    const char* extreme;    // "smallest" or "largest"
    const char* advice[2];  // advice lines; the second may be null
};

constexpr OUTOFRANGE kBelowRange = {
    "smaller",
    "smallest",
    {"         - Try to record the series with a significantly higher acquisition rate.", nullptr}};
constexpr OUTOFRANGE kAboveRange = {
    "larger",
    "largest",
    {"         - Try to record the series over a significantly longer time.",
     "         - Evaluate the lifetime by extrapolation with a model function."}};

} // namespace

void CA1TimeSeries::EvaluateLifetime(double dTolerance) {
    m_nLifetimeState = 0;
    if (!IsValidTolerance(dTolerance)) {
        LogMessage("ERROR: Lifetime evaluation failed. The astigmatism tolerance is not a positive "
                   "number; check the electron energy, the target resolution and the phase limit.");
        m_dTolerance = 0.0;
        m_dLifetime = 0.0;
        m_nLifetimeState = -3;
        return;
    }
    // a crossing needs at least two points of the function
    if (m_CFuncData.size() < 2) {
        LogMessage(
            "ERROR: Lifetime evaluation failed. Missing data of the characteristic function.");
        m_dTolerance = dTolerance;
        m_dLifetime = 0.0;
        m_nLifetimeState = -3;
        return;
    }

    const double a2 = dTolerance * dTolerance;
    double tmin = 0.0, tmax = 0.0, fmin = 0.0, fmax = 0.0;
    GetCFuncRange(tmin, tmax, fmin, fmax);

    const OUTOFRANGE* outside = nullptr;
    double edge = 0.0;
    if (a2 < fmin) {
        outside = &kBelowRange;
        edge = fmin;
        m_dLifetime = tmin;
        m_nLifetimeState = -1;
    } else if (a2 > fmax) {
        outside = &kAboveRange;
        edge = fmax;
        m_dLifetime = tmax;
        m_nLifetimeState = -2;
    }
    if (outside) {
        LogMessage("Warning: Lifetime could not be determined from the characteristic function.");
        LogMessage(
            FormatC("         - The squared astigmatism tolerance of %.3f nm\u00B2 is %s than", a2,
                    outside->comparison));
        LogMessage(
            FormatC("           the %s value of the characteristic function (%.3f nm\u00B2).",
                    outside->extreme, edge));
        for (const char* advice : outside->advice) {
            if (advice)
                LogMessage(advice);
        }
        m_dTolerance = dTolerance;
        return;
    }

    LogMessage("Lifetime evaluation directly from the characteristic function:");
    LogMessage(FormatC("- Astigmatism tolerance: %.3f nm.", dTolerance));
    m_dTolerance = dTolerance;
    // No interpolation: the lifetime is the first measured time span that
    // reaches the tolerance, a multiple of the period.
    for (const A1SAMPLE& record : m_CFuncData) {
        if (record.dX + record.dY >= a2) {
            m_dLifetime = record.nImage * m_dPeriod;
            m_nLifetimeState = 1;
            LogMessage("- Lifetime: " + LifetimeSecondsText(m_dLifetime) + ".");
            return;
        }
    }
    // only values that are not numbers can slip through both range tests
    LogMessage(
        "ERROR: Lifetime evaluation failed. The characteristic function holds invalid values.");
    m_dLifetime = 0.0;
    m_nLifetimeState = -3;
}

double CA1TimeSeries::EvaluateModelLifetime(double dTolerance) {
    if (!HasModel())
        return 0.0;
    if (!IsValidTolerance(dTolerance)) {
        LogMessage("ERROR: Lifetime evaluation from the model function failed. The astigmatism "
                   "tolerance is not a positive number.");
        m_dModelLifetime = 0.0;
        m_nModelLifetimeState = kModelLifetimeError;
        return 0.0;
    }
    const bool validPeriod = IsValidPeriod(m_dPeriod);
    const double t0 = validPeriod ? m_dPeriod : 0.0;

    const ModelParameters model = GetModelParameters();
    const MODELCROSSING crossing = SearchModelCrossing(model, dTolerance * dTolerance);
    if (!crossing.Found()) {
        // The largest time the program can express stands for "unbounded",
        // as it does for the probability lifetimes.
        m_dModelLifetime = UnboundedSeconds(t0);
        m_nModelLifetimeState = kModelLifetimeUnbounded;
        LogMessage("Warning: Lifetime could not be determined from the model function.");
        LogMessage(FormatC("         - The model stays below the squared astigmatism tolerance of "
                           "%.3f nm\u00B2",
                           dTolerance * dTolerance));
        LogMessage(crossing.kind == CrossingKind::Beyond
                       ? "           up to the largest time span the program can express."
                       : "           for every time span: the lifetime is unbounded.");
        LogFitNotes();
        return crossing.dSteps;
    }
    m_dModelLifetime = t0 * crossing.dSteps;
    m_nModelLifetimeState = kModelLifetimeFound;
    LogMessage("Lifetime evaluation from the model function:");
    LogMessage(FormatC("- Astigmatism tolerance: %.3f nm.", dTolerance));
    LogMessage("- Lifetime: " + LifetimeSecondsText(m_dModelLifetime) + ".");
    if (!validPeriod) {
        LogMessage(FormatC("Warning: The image recording period is not positive; the lifetime of "
                           "%.1f image steps cannot be given in seconds.",
                           crossing.dSteps));
    }
    LogFitNotes();
    return crossing.dSteps;
}

void CA1TimeSeries::LogFitNotes() {
    const std::vector<std::string> notes = FitNotes(*this);
    if (notes.empty())
        return;
    LogMessage("Fit notes:");
    for (const std::string& note : notes)
        LogMessage("- " + note);
}

double CA1TimeSeries::GetRandomWalkLifetime(double dTolerance) const {
    if (!HasModel() || !IsValidTolerance(dTolerance) || !IsValidPeriod(m_dPeriod))
        return 0.0;
    const ModelParameters randomWalk = GetRandomWalkParameters();
    const MODELCROSSING crossing = SearchModelCrossing(randomWalk, dTolerance * dTolerance);
    if (crossing.Found())
        return m_dPeriod * crossing.dSteps;
    // Without a constant walk the model may stay within the tolerance for
    // ever: an unbounded time, the same stand-in that the probability
    // lifetimes give.
    return UnboundedSeconds(m_dPeriod);
}

bool CA1TimeSeries::HasTimeBase() const {
    return IsValidPeriod(m_dPeriod);
}

std::string CA1TimeSeries::LifetimeSecondsText(double dSeconds) const {
    return HasTimeBase() ? FormatC("%.1f s", dSeconds) : "time base unknown";
}

std::string CA1TimeSeries::GetLifetimeText() const {
    const std::string tolerance = FormatC("Astigmatism tolerance: %.3f nm", m_dTolerance);
    switch (m_nLifetimeState) {
    case 0:
        return "No evaluation present.";
    case 1:
        return "Estimated lifetime: " + LifetimeSecondsText(m_dLifetime) + ", " + tolerance;
    case -1:
        return "Estimated lifetime is below the shortest timespan (" +
               LifetimeSecondsText(m_dLifetime) + "). " + tolerance;
    case -2:
        return "Estimated lifetime is above the longest timespan (" +
               LifetimeSecondsText(m_dLifetime) + "). " + tolerance;
    case -3:
        return "Error during evaluation.";
    default:
        return "Unknown state.";
    }
}

std::string CA1TimeSeries::GetModelLifetimeText() const {
    if (m_nModelState == 0)
        return "No evaluation present.";
    if (m_nModelState != 1)
        return "Unknown state.";
    if (m_nModelLifetimeState == kModelLifetimeError)
        return "Error during evaluation.";
    const std::string tolerance = FormatC("Astigmatism tolerance: %.3f nm", m_dTolerance);
    if (m_nModelLifetimeState == kModelLifetimeUnbounded)
        return "Estimated lifetime: unbounded, " + tolerance;
    return "Estimated lifetime: " + LifetimeSecondsText(m_dModelLifetime) + ", " + tolerance;
}
