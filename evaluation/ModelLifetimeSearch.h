#pragma once

#include "evaluation/ProbabilityModel.h"

// How the stability model meets a squared tolerance.
enum class CrossingKind {
    Found,  // dSteps is the first crossing
    Beyond, // the model grows without bound but crosses only beyond VLARGE steps
    Never,  // without Di and drift the model stays below the tolerance for ever
};

// Where the stability model first reaches a squared tolerance, in image steps.
struct MODELCROSSING {
    double dSteps = 0.0; // the crossing; VLARGE when it was not found
    CrossingKind kind = CrossingKind::Never;
    bool Found() const { return kind == CrossingKind::Found; }
};

// The search range: far below one image step (a tolerance reached within a
// fraction of the first step is still found) up to VLARGE, the largest time
// span that still converts to seconds.
inline constexpr double kCrossingSearchStart = 1e-300;

// First k > 0 where the model function (evaluation/StabilityModel.h) reaches
// a2, bracketed by a geometric scan from kCrossingSearchStart and narrowed by bisection to the
// resolution of a double.
MODELCROSSING SearchModelCrossing(const ModelParameters& params, double a2);
