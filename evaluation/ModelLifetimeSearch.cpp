#include "evaluation/ModelLifetimeSearch.h"

#include "evaluation/StabilityModel.h"

#include <cmath>

namespace {

// The refinement stops once the step is no longer above this; in double
// arithmetic 1 * 0.1 * 0.1 * 0.1 lies just above 0.001, so the last step
// taken is 0.0001 image steps.
constexpr double kFinalStep = 0.001;
constexpr double kStepReduction = 0.1;

} // namespace

MODELCROSSING SearchModelCrossing(const ModelParameters& params, double a2, double dStart) {
    double g = dStart;
    double h = 1.0;
    double previous = 0.0;
    for (std::int32_t i = 0; i < kMaxModelSearchSteps; ++i) {
        const double residual = ModelFunction(params, g) - a2;
        if (residual == 0.0)
            return {g, true};
        // a residual that is not a number (an overflowing model) walks on
        // outwards
        if (residual > 0.0)
            g -= h;
        else
            g += h;
        // the crossing was passed: go back with a tenth of the step
        if (i > 0 && ((residual > 0.0 && previous < 0.0) || (residual < 0.0 && previous > 0.0)))
            h *= kStepReduction;
        previous = residual;
        if (!(h > kFinalStep))
            return {g, true};
    }
    return {g, false};
}
