// Validation of the whole-interval probability P_inside (run by `make
// validate`, not by the tests: it takes a minute or two on one core).
//
// 1. A pure walk against the closed form of the disc (support/DiscSurvival.h):
//    the largest difference over the curve, for the curve as the program
//    computes it and for 16 times more paths, where the time-step bias
//    shows above the sampling error.
// 2. Walks with drift, and a walk with drift and a decaying part, against a
//    brute-force Monte Carlo written independently here: a grid ten times
//    finer, its own random streams (the walk's steps from the standard
//    library's normal distribution; the decaying model's paths from the
//    path generator at ten times the points), and each segment's crossing
//    drawn as a random event rather than carried as a weight. Counts the
//    points where the two differ by more than three combined standard
//    errors.
// Usage: validate_whole_interval [WALK_PATHS [DECAYING_PATHS]]
//        (1000000 and 100000: a path of the decaying model on the fine grid
//        costs an FFT of 8192 points, so a million would take half an hour)
#include "data/LogSimulator.h"
#include "evaluation/ModelPathGenerator.h"
#include "evaluation/StabilityModel.h"
#include "evaluation/WholeIntervalProbability.h"
#include "infra/CNumber.h"
#include "support/DiscSurvival.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

void CompareWithDisc(int paths) {
    const double a = 1.0, di = 0.1;
    const double kEnd = 2.0 * a * a / (di * di); // D t / a^2 up to 1
    WHOLEINTERVALSETTINGS settings;
    settings.nPaths = paths;
    const WHOLEINTERVALCURVE curve = EvaluateWholeIntervalCurve(a, kEnd, {di, 0, 0, 0}, settings);
    double largest = 0.0, largestInErrors = 0.0, where = 0.0;
    for (std::size_t j = 1; j < curve.steps.size(); ++j) {
        const double difference =
            curve.probability[j] - DiscSurvival(di * di * curve.steps[j] / (2.0 * a * a));
        if (std::abs(difference) > std::abs(largest)) {
            largest = difference;
            where = di * di * curve.steps[j] / (2.0 * a * a);
        }
        if (curve.standardError[j] > 0.0)
            largestInErrors =
                std::max(largestInErrors, std::abs(difference) / curve.standardError[j]);
    }
    std::printf("%s", FormatC("pure walk, %7d paths, %d intervals: largest difference %+.4f "
                              "(at D t / a^2 = %.3f), %.1f standard errors at most, largest "
                              "standard error %.4f\n",
                              paths, static_cast<int>(settings.nIntervals), largest, where,
                              largestInErrors, curve.LargestStandardError())
                          .c_str());
}

// The plain method: survival as a 0/1 event per path, the crossing between
// grid points drawn against exp(-2 d1 d2 / v), v the variance of a grid step.
std::vector<double> BruteForce(double a, double kEnd, const ModelParameters& model, int intervals,
                               int paths, std::uint64_t seed) {
    std::mt19937_64 engine(seed);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform;
    const double step = kEnd / intervals;
    const double variance = step * ModelSqrDiffusion(model, step);
    const double sigma = std::abs(model[0]) * std::sqrt(step);
    const bool decaying = model[1] != 0.0;
    CModelPathGenerator generator;
    const double root = std::sqrt(step);
    if (decaying &&
        !generator.Prepare({model[0] * root, model[1] * root, model[2] / step, model[3] * step},
                           intervals + 1))
        return {};
    MODELPATH path;
    std::vector<double> alive(static_cast<std::size_t>(intervals) + 1, 0.0);
    for (int n = 0; n < paths; ++n) {
        if (decaying) {
            CSimulationRandom random(engine());
            generator.Draw(random, path);
        }
        double x = 0.0, y = 0.0, distance = a;
        alive[0] += 1.0;
        for (int j = 1; j <= intervals; ++j) {
            if (decaying) {
                x = path.x[static_cast<std::size_t>(j)];
                y = path.y[static_cast<std::size_t>(j)];
            } else {
                x += model[3] * step + sigma * normal(engine);
                y += sigma * normal(engine);
            }
            const double next = a - std::hypot(x, y);
            if (next < 0.0 || uniform(engine) < std::exp(-2.0 * distance * next / variance))
                break;
            distance = next;
            alive[static_cast<std::size_t>(j)] += 1.0;
        }
    }
    for (double& value : alive)
        value /= paths;
    return alive;
}

void CompareWithBruteForce(const char* name, const ModelParameters& model, double kEnd,
                           int brutePaths) {
    const double a = 1.27;
    const WHOLEINTERVALSETTINGS settings;
    const WHOLEINTERVALCURVE curve = EvaluateWholeIntervalCurve(a, kEnd, model, settings);
    constexpr int kFiner = 10;
    const std::vector<double> brute =
        BruteForce(a, kEnd, model, kFiner * settings.nIntervals, brutePaths, 20261209);
    if (!curve.bValid || brute.empty()) {
        std::printf("%s: no curve (%s)\n", name, curve.strProblem.c_str());
        return;
    }
    int beyond = 0;
    double largestInErrors = 0.0, largest = 0.0;
    for (std::size_t j = 1; j < curve.steps.size(); ++j) {
        const double other = brute[j * kFiner];
        const double combined = std::sqrt(curve.standardError[j] * curve.standardError[j] +
                                          other * (1.0 - other) / brutePaths);
        const double difference = curve.probability[j] - other;
        largest = std::abs(difference) > std::abs(largest) ? difference : largest;
        if (combined > 0.0) {
            largestInErrors = std::max(largestInErrors, std::abs(difference) / combined);
            beyond += std::abs(difference) > 3.0 * combined ? 1 : 0;
        }
    }
    std::printf("%s", FormatC("%s: %d paths against %d brute-force paths on a %dx finer grid: "
                              "largest difference %+.4f, %.2f combined standard errors at most, "
                              "%d of %d points beyond 3\n",
                              name, static_cast<int>(settings.nPaths), brutePaths, kFiner, largest,
                              largestInErrors, beyond, static_cast<int>(settings.nIntervals))
                          .c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const int walkPaths = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int decayingPaths = argc > 2 ? std::atoi(argv[2]) : 100000;
    CompareWithDisc(WHOLEINTERVALSETTINGS{}.nPaths);
    CompareWithDisc(16 * WHOLEINTERVALSETTINGS{}.nPaths);
    std::fflush(stdout);
    // Tolerance 1.27 nm (300 kV, 1 A) over the span where P(a, t) falls to
    // 5 %: drift that matters about as much as the walk by the end, drift
    // that dominates it, and the fitted model of the report's example with
    // its decaying part (tc = 12.3 image steps).
    CompareWithBruteForce("walk with drift", {0.08, 0.0, 0.0, 0.004}, 500.0, walkPaths);
    CompareWithBruteForce("strong drift", {0.05, 0.0, 0.0, 0.02}, 110.0, walkPaths);
    CompareWithBruteForce("walk, drift and decaying part", {0.08, 0.05, 12.3, 0.004}, 480.0,
                          decayingPaths);
    return 0;
}
