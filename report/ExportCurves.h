#pragma once

#include "evaluation/ProbabilityModel.h"
#include "evaluation/WholeIntervalProbability.h"

class CA1TimeSeries;

// The model and probability curves that the table and binary exports write:
// always this many points, the first at time span 0.
inline constexpr int kExportCurvePoints = 501;

// The model lifetime in s where it is bounded; where the model never reaches
// the tolerance, the longest extracted time span, so that curves drawn or
// written against it keep a finite time axis.
double ModelCurveLifetime(const CA1TimeSeries& series);

// Point i of the model curve, which runs to 1.15 times ModelCurveLifetime so
// that the crossing of the tolerance lies inside it. Times in s, f in nm^2.
struct MODELPOINT {
    double dTime = 0.0;
    double dF = 0.0;
    double dF16 = 0.0; // the model band's 16 % quantile
    double dF84 = 0.0; // and its 84 % quantile
};
MODELPOINT ModelCurvePoint(const CA1TimeSeries& series, int i);

// Point i of P(a, t) with time step dStep (s) and a = the series' tolerance.
struct PROBPOINT {
    double dTime = 0.0;
    double dProbability = 0.0;
};
PROBPOINT ProbabilityCurvePoint(const CA1TimeSeries& series, double dStep, int i);

// The table's time axis ends where P has fallen to 5 %, or, when P never
// falls that far, where the binary file's ends: at twice ModelCurveLifetime.
double ProbabilityTableStep(const CA1TimeSeries& series);
// Where the table's time axis ends, in s; the probability diagram ends there
// too.
double ProbabilityTableEnd(const CA1TimeSeries& series);
double ProbabilityDataStep(const CA1TimeSeries& series);

// P_inside(a, t) for the series' tolerance, in image steps over the
// probability table's time axis, which also holds the probability diagram's:
// the diagram, the report block and the table show one simulation (the
// curve is kept between calls). Invalid, with the reason, for a series
// without a model or time base, or a model the simulation does not cover.
WHOLEINTERVALCURVE SeriesWholeIntervalCurve(const CA1TimeSeries& series);
