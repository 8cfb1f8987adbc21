#pragma once

#include "data/A1Types.h"

#include <cstdint>
#include <vector>

class CSimulationRandom;

// Paths of A22 drawn exactly from the stability model
//
//     f(k) = s^2 k^2 + 2 k (Di^2 + Da^2 exp(-k / tc)),
//
// the mean square change of A22 (both components) over k image steps. Each
// component is an independent Gaussian process with stationary increments
// whose mean square change over k steps is half of f(k) without the drift
// term; the drift s k is added along the drift's direction. The method and
// its limits are described in ModelPathGenerator.cpp.
//
// Use: Prepare() once for a parameter set and a number of points, then
// Draw() as often as wanted. Draw() is const and thread-safe: several threads
// may draw from one prepared generator at once, each with its own random
// stream, and a stream gives the same path bit for bit whichever thread
// draws it. Prepare() may run on several threads at once for different
// generators (the FFT planner is serialised inside).
//
// Example (tc in image steps, a path of 1000 images starting at 0):
//     CModelPathGenerator generator;
//     if (generator.Prepare({Di, Da, tcSteps, s}, 1000)) {
//         CSimulationRandom random(seed);
//         MODELPATH path;
//         generator.Draw(random, path); // path.x[n], path.y[n], n = 0..999
//     }

// The most points a path can have: the FFT's buffers then take about 1 GB.
inline constexpr std::int64_t kMaxModelPathPoints = std::int64_t{1} << 25;

// A clipped share below this is the FFT's rounding of eigenvalues that are
// 0 in exact arithmetic, not a model outside the valid processes.
inline constexpr double kNegligibleClippedShare = 1e-9;

struct MODELPATH {
    std::vector<double> x; // nm, x[0] = 0
    std::vector<double> y; // nm, y[0] = 0
};

class CModelPathGenerator {
public:
    // Prepares paths of nPoints points (image steps 0 to nPoints - 1) of the
    // model params = (Di, Da, tc, s): Di, Da and s in nm (s per image step),
    // tc in image steps (0 or below: no decaying part). The drift runs at
    // dDriftAngleDeg from the x axis. False, and nothing to draw, when a
    // parameter is not a finite number, Di, Da or the path's spread
    // overflows, or nPoints lies outside 1 to kMaxModelPathPoints.
    bool Prepare(const ModelParameters& params, std::int64_t nPoints, double dDriftAngleDeg = 0.0);

    bool IsPrepared() const { return m_nPoints > 0; }
    std::int64_t Points() const { return m_nPoints; }
    // The share of the embedding's variance that lay on negative eigenvalues
    // and was set to zero: 0 when the model is a valid process on this many
    // points, above kNegligibleClippedShare when the paths come from the
    // nearest valid process instead (typically where Da dominates Di and f
    // falls back).
    double ClippedShare() const { return m_dClippedShare; }

    // One path from the random stream: Points() values per component.
    void Draw(CSimulationRandom& random, MODELPATH& path) const;

private:
    std::int64_t m_nPoints = 0;
    double m_dClippedShare = 0.0;
    double m_dDriftX = 0.0; // nm per image step
    double m_dDriftY = 0.0;
    std::vector<double> m_amplitudes; // sqrt(eigenvalue / M) per frequency
    std::int64_t m_nEmbedding = 0;    // M, the circulant's size
};
