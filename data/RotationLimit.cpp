#include "data/RotationLimit.h"

#include "infra/CNumber.h"

#include <cmath>

bool IsAcceptedRotation(double dRotationDeg) {
    return std::isfinite(dRotationDeg) && std::fabs(dRotationDeg) <= kMaxRotationDeg;
}

std::string RotationRangeText() {
    return FormatC("The rotation must lie between %g and %g degrees.", -kMaxRotationDeg,
                   kMaxRotationDeg);
}
