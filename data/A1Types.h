#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// One astigmatism sample; the characteristic function reuses the record for
// its points (nImage then holds a distance in image numbers).
struct A1SAMPLE {
    std::int32_t nImage = 0;
    double dX = 0.0;    // A22 x, nm
    double dY = 0.0;    // A22 y, nm
    double dErrX = 0.0; // measurement error of dX, nm
    double dErrY = 0.0; // measurement error of dY, nm
};

// A display unit: value in the table's base unit = value in this unit * dFactor.
struct UNIT {
    std::string strName;
    double dFactor = 1.0;
};

// The slots of the stability model's parameters: Di (constant random walk),
// Da (decaying random walk) and s (drift) in nm, tc (correlation time of the
// decaying walk) in image steps. The fit and the confidence table share the
// order.
enum ModelSlot : std::size_t { kModelDi = 0, kModelDa = 1, kModelTc = 2, kModelS = 3, kModelSlots };
using ModelParameters = std::array<double, kModelSlots>;

// What became of the lifetime taken from the fitted model.
enum ModelLifetimeState : std::int32_t {
    kModelLifetimeNone = 0,
    kModelLifetimeFound = 1,
    // the model stays below the tolerance up to the largest time the program
    // can express (the lifetime then holds that time)
    kModelLifetimeUnbounded = -2,
    // the tolerance was not a positive number
    kModelLifetimeError = -3,
};
