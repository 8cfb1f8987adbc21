#pragma once

#include <string>

// The rotation of the x-y plane on extraction. A turn beyond a full circle
// in either direction describes no corrector's orientation but a typing
// error; worse, far beyond it the sine and cosine of the angle lose every
// digit (1e18 degrees leaves no meaningful fraction of a turn), so the
// samples and every lifetime computed from them would silently change.
inline constexpr double kMaxRotationDeg = 360.0;

// True for a finite rotation within +-kMaxRotationDeg degrees.
bool IsAcceptedRotation(double dRotationDeg);

// The sentence that says which rotations are accepted.
std::string RotationRangeText();
