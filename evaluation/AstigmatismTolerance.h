#pragma once

// Tolerance of the two-fold astigmatism in nm for an electron energy (keV), a
// target resolution (Angstrom) and a phase limit (fractions of pi).
double AstigmatismTolerance(double dEnergy, double dResolution, double dPhase);
