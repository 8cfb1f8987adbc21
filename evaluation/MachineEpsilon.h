#pragma once

// Double-precision machine epsilon, 2^-52, by its written decimal value: the
// stop rules of the fit and of the probability series are tied to it, so
// that each goes as far as the arithmetic allows.
inline constexpr double kEpsilon = 2.220446049250313e-16;
