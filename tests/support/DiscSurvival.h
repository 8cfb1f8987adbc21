#pragma once

#include <cmath>
#include <numbers>

// The closed form of the probability that a 2-D Brownian motion started at
// the centre of a disc of radius a has not left it by time t (Redner, "A
// Guide to First-Passage Processes", 2001, ch. 6):
//   S(t) = sum_n 2 / (j_n J1(j_n)) exp(-j_n^2 D t / a^2),
// j_n the zeros of J0 and D the diffusion constant (mean square
// displacement 4 D t). `tau` is D t / a^2.
inline double DiscSurvival(double tau) {
    // Below this the series converges slowly but S differs from 1 by less
    // than exp(-j_1^2 / (8 tau))-like terms, far below 1e-9.
    if (tau < 0.01)
        return 1.0;
    double sum = 0.0;
    for (int n = 1; n <= 200; ++n) {
        // McMahon's start (n - 1/4) pi, refined by Newton steps with J0' = -J1.
        double j = (n - 0.25) * std::numbers::pi;
        for (int i = 0; i < 6; ++i)
            j += std::cyl_bessel_j(0.0, j) / std::cyl_bessel_j(1.0, j);
        const double term = 2.0 / (j * std::cyl_bessel_j(1.0, j)) * std::exp(-j * j * tau);
        sum += term;
        if (std::abs(term) < 1e-15)
            break;
    }
    return sum;
}
