#include "evaluation/AstigmatismTolerance.h"

#include <cmath>

namespace {

// h * c in keV nm, and twice the electron rest energy in keV.
constexpr double kPlanckTimesLight = 1.239842447;
constexpr double kTwiceRestEnergy = 1022.0;
// Angstrom^2 to nm^2.
constexpr double kSqrAngstromToNm = 0.01;

} // namespace

double AstigmatismTolerance(double dEnergy, double dResolution, double dPhase) {
    // relativistic electron wavelength in nm; no wavelength without energy,
    // which leaves a tolerance that is not finite for the lifetime evaluation
    // to reject
    const double wavelength =
        dEnergy > 0.0 ? kPlanckTimesLight / std::sqrt((dEnergy + kTwiceRestEnergy) * dEnergy) : 0.0;
    // the astigmatism whose phase shift at the spatial frequency 1/d is
    // dPhase * pi
    return dResolution * dResolution * kSqrAngstromToNm * dPhase / wavelength;
}
