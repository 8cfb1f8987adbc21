#include "evaluation/ModelLifetimeSearch.h"

#include "evaluation/StabilityModel.h"

#include <algorithm>
#include <cmath>

namespace {

// Ratio of neighbouring scan points, 2^(1/16) (4.4 %). The model rises
// monotonically up to k = tc and beyond it has at most one hump (its second
// derivative grows from there on); a hump that reaches the tolerance over
// less than 4.4 % of its time span touches it only in rounding, so the scan
// finds every first crossing worth a lifetime. The whole double range takes
// about 32000 points, well below a millisecond.
constexpr double kScanRatio = 1.0442737824274138;
// Bisection ends when the bracket can no longer be halved in doubles, far
// below the 1e-6 relative accuracy a lifetime needs; the cap only guards
// against a bracket whose ends are not numbers.
constexpr int kMaxBisections = 2100;

double Residual(const ModelParameters& params, double a2, double k) {
    return ModelFunction(params, k) - a2;
}

bool Reached(double residual) {
    return !(residual < 0.0);
}

} // namespace

MODELCROSSING SearchModelCrossing(const ModelParameters& params, double a2) {
    MODELCROSSING crossing;
    crossing.dSteps = VLARGE;
    const bool anyNaN =
        std::any_of(params.begin(), params.end(), [](double v) { return std::isnan(v); });
    if (anyNaN || std::isnan(a2))
        return crossing;

    double below = 0.0;
    double above = kCrossingSearchStart;
    while (!Reached(Residual(params, a2, above))) {
        if (above >= VLARGE) {
            // Di or the drift make the model grow without end: the crossing
            // exists, only later than any time the program can express.
            crossing.kind = (params[kModelDi] != 0.0 || params[kModelS] != 0.0)
                                ? CrossingKind::Beyond
                                : CrossingKind::Never;
            return crossing;
        }
        below = above;
        above = std::min(above * kScanRatio, VLARGE);
    }
    for (int i = 0; i < kMaxBisections; ++i) {
        const double middle = below + 0.5 * (above - below);
        if (middle <= below || middle >= above)
            break;
        if (Reached(Residual(params, a2, middle)))
            above = middle;
        else
            below = middle;
    }
    crossing.dSteps = above;
    crossing.kind = CrossingKind::Found;
    return crossing;
}
