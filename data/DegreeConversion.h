#pragma once

// Degrees to radians by the written decimal value, not the exact pi/180:
// existing evaluations were made with it, and a re-import must give the same
// samples. The log simulator converts its angles with the same factor, so
// that its logs read back as the values it simulated.
inline constexpr double kDegToRad = 0.01745329252;
