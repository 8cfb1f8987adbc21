#pragma once

#include "evaluation/ProbabilityModel.h"

class CA1TimeSeries;

// The model and probability curves that the table and binary exports write:
// always this many points, the first at time span 0.
inline constexpr int kExportCurvePoints = 501;

// Point i of the model curve, which runs to 1.15 times the model lifetime so
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

// The table's time axis ends where P has fallen to 5 %; the binary file's
// ends at twice the model lifetime.
double ProbabilityTableStep(const CA1TimeSeries& series);
double ProbabilityDataStep(const CA1TimeSeries& series);
