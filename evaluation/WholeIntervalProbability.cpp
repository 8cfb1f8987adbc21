// The probability of staying inside the tolerance for a whole interval.
//
// The method. The model's change A(k) - A(0) is, per component, a Gaussian
// process: a random walk of variance Di^2 per image step, a drift of s per
// step (its direction does not matter, as the walk is isotropic: it is put
// along x) and, where fitted, a decaying part. Paths are drawn exactly at
// the points of a grid of nIntervals equal steps: for the walk with drift
// the steps are independent normals; with a decaying part the steps are
// correlated, and the paths come from the model's path generator
// (ModelPathGenerator.cpp, circulant embedding), run on the model rescaled
// so that one grid step is its image step. A path survives to grid point j
// when every point up to j lies inside the disc of radius a.
//
// Between grid points a path can leave and come back unseen; checking the
// grid alone overstates P_inside by an error that falls only like the square
// root of the grid step. Given its two ends, a walk segment is a Brownian
// bridge whatever the drift, and a bridge from distances d1 and d2 in front
// of a straight boundary touches it with probability exp(-2 d1 d2 / v), v the
// segment's variance per component (Glasserman, "Monte Carlo Methods in
// Financial Engineering", 2004, section 6.4). Taken at the circle's nearest
// point, the tangent line lies outside the disc, so the correction misses
// the crossings that the curvature adds; with a decaying part the segment
// is a bridge only approximately (v is then the model's variance over one
// grid step). The remaining bias is of the order of the grid step and is
// measured against the closed form of the pure walk and against a
// brute-force simulation on a grid ten times finer (README: "Staying
// inside"). Rather than drawing a uniform number against each crossing
// probability, a path carries the product of its segments' survival
// probabilities as its weight (a conditional expectation: same mean, smaller
// variance), and P_inside at point j is the mean weight there.
//
// Why not a numerical solution of the first-passage problem: with drift the
// disc's survival problem loses its rotational symmetry, and the decaying
// part makes the process non-Markovian, so no diffusion equation describes
// it; the Monte Carlo gives the whole curve in one pass with a stated error.
//
// Errors stated with each curve: the standard error of the mean weight at
// every point. The estimate is then capped by the exact P(a, k) (the true
// value never exceeds it, so the cap only removes noise near P = 1).
#include "evaluation/WholeIntervalProbability.h"

#include "data/LogSimulator.h"
#include "evaluation/ModelPathGenerator.h"
#include "evaluation/OrderedRuns.h"
#include "evaluation/ProbabilityModel.h"
#include "evaluation/StabilityModel.h"
#include "infra/CNumber.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <deque>
#include <limits>
#include <mutex>
#include <thread>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Paths per job: the unit that threads share and whose sums are added in
// job order, so that the thread count never changes the bits.
constexpr std::int32_t kPathsPerJob = 256;
// Beyond these the sums would take gigabytes or hours; no curve needs them.
constexpr std::int32_t kMaxPaths = 1 << 24;
constexpr std::int32_t kMaxIntervals = 100000;
// Where the model is no valid process (Da dominating Di, f falling back),
// the generator draws the nearest valid one, its clipped share of the
// variance missing. Up to 0.1 % the change of P_inside stays well below the
// curve's standard error; beyond, the curve would describe another process.
constexpr double kMaxClippedShare = 1e-3;

// SplitMix64 (Steele, Lea and Flood, OOPSLA 2014): one short stream per
// path, seeded from the run's seed and the path's number, so that a path is
// the same whichever thread draws it.
class CPathRandom {
public:
    CPathRandom(std::uint64_t seed, std::uint64_t path)
        : m_state(seed * 0x9E3779B97F4A7C15ull ^ (path + 0x632BE59BD9B4E019ull)) {
        Next(); // one round spreads neighbouring path numbers apart
    }
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Two independent standard normals by Box-Muller: one step of both
    // components. 1 - u lies in (0, 1], so the logarithm stays finite.
    void Gauss2(double& x, double& y) {
        const double u = static_cast<double>(Next() >> 11) * 0x1.0p-53;
        const double phase = 6.283185307179586 * static_cast<double>(Next() >> 11) * 0x1.0p-53;
        const double radius = std::sqrt(-2.0 * std::log(1.0 - u));
        x = radius * std::cos(phase);
        y = radius * std::sin(phase);
    }

private:
    std::uint64_t m_state;
};

struct PATHGRID {
    double a = 0.0;
    double drift = 0.0;           // |s| per grid step
    double sigma = 0.0;           // standard deviation per component per grid step
    double twoOverVariance = 0.0; // 2 / (variance per component of a grid step); 0 without any
    std::int32_t nIntervals = 0;
    // Draws whole paths of a model with a decaying part; null for the walk
    // with drift, whose steps are drawn one by one.
    const CModelPathGenerator* pGenerator = nullptr;
};

// Adds the weights of paths [first, first + count) and their squares at
// every grid point to sums (2 per point).
void SimulatePaths(const PATHGRID& grid, std::uint64_t seed, std::int64_t first, std::int32_t count,
                   std::vector<double>& sums) {
    MODELPATH modelPath;
    for (std::int64_t path = first; path < first + count; ++path) {
        CPathRandom random(seed, static_cast<std::uint64_t>(path));
        if (grid.pGenerator) {
            CSimulationRandom stream(random.Next());
            grid.pGenerator->Draw(stream, modelPath);
        }
        double x = 0.0, y = 0.0;
        double weight = 1.0;
        double distance = grid.a;
        sums[0] += 1.0;
        sums[1] += 1.0;
        for (std::int32_t j = 1; j <= grid.nIntervals; ++j) {
            if (grid.pGenerator) {
                x = modelPath.x[static_cast<std::size_t>(j)];
                y = modelPath.y[static_cast<std::size_t>(j)];
            } else {
                double zx = 0.0, zy = 0.0;
                random.Gauss2(zx, zy);
                x += grid.drift + grid.sigma * zx;
                y += grid.sigma * zy;
            }
            const double next = grid.a - std::hypot(x, y);
            // Once out, the path adds nothing to any later point.
            if (next < 0.0)
                break;
            weight *= 1.0 - std::exp(-grid.twoOverVariance * distance * next);
            distance = next;
            sums[2 * j] += weight;
            sums[2 * j + 1] += weight * weight;
        }
    }
}

std::string CheckInputs(double a, double kEnd, const ModelParameters& params,
                        const WHOLEINTERVALSETTINGS& settings) {
    if (!(std::isfinite(a) && a > 0.0))
        return "the tolerance is not a positive number";
    if (!(std::isfinite(kEnd) && kEnd > 0.0))
        return "the time span is not a positive number";
    for (double value : params)
        if (!std::isfinite(value))
            return "the model has a parameter that is not a number";
    if (settings.nPaths < 2 || settings.nPaths > kMaxPaths || settings.nIntervals < 1 ||
        settings.nIntervals > kMaxIntervals)
        return "the number of paths or grid intervals is out of range";
    return {};
}

bool HasDecayingPart(const ModelParameters& params) {
    // The decaying part contributes wherever it is not zero for k > 0.
    return ModelSqrDiffusion(params, 1.0) != params[0] * params[0];
}

WHOLEINTERVALCURVE Invalid(std::string problem) {
    WHOLEINTERVALCURVE curve;
    curve.strProblem = std::move(problem);
    return curve;
}

bool SameBits(double x, double y) {
    return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

struct CACHEDCURVE {
    double a;
    double kEnd;
    ModelParameters params;
    WHOLEINTERVALSETTINGS settings;
    WHOLEINTERVALCURVE curve;

    bool Matches(double a2, double kEnd2, const ModelParameters& params2,
                 const WHOLEINTERVALSETTINGS& settings2) const {
        // The thread count does not change the curve, so it is no part of
        // the key.
        return SameBits(a, a2) && SameBits(kEnd, kEnd2) &&
               std::equal(params.begin(), params.end(), params2.begin(), SameBits) &&
               settings.nPaths == settings2.nPaths && settings.nIntervals == settings2.nIntervals &&
               settings.nSeed == settings2.nSeed;
    }
};
// A few curves: the series on screen, the one being exported, and a map's
// neighbours do not push each other out.
constexpr std::size_t kCachedCurves = 4;

} // namespace

double WHOLEINTERVALCURVE::At(double k) const {
    if (!bValid || !(k >= 0.0) || k > steps.back())
        return kNaN;
    const auto above = std::upper_bound(steps.begin(), steps.end(), k);
    if (above == steps.end())
        return probability.back();
    const std::size_t j = static_cast<std::size_t>(above - steps.begin());
    const double share = (k - steps[j - 1]) / (steps[j] - steps[j - 1]);
    return probability[j - 1] + share * (probability[j] - probability[j - 1]);
}

double WHOLEINTERVALCURVE::Lifetime(double p) const {
    if (!bValid)
        return kNaN;
    for (std::size_t j = 1; j < probability.size(); ++j) {
        if (probability[j] > p)
            continue;
        // The curve never rises, so the first point at or below p follows
        // the crossing.
        const double fall = probability[j - 1] - probability[j];
        const double share = fall > 0.0 ? (probability[j - 1] - p) / fall : 1.0;
        return steps[j - 1] + share * (steps[j] - steps[j - 1]);
    }
    return kNaN;
}

double WHOLEINTERVALCURVE::LargestStandardError() const {
    return standardError.empty() ? kNaN
                                 : *std::max_element(standardError.begin(), standardError.end());
}

WHOLEINTERVALCURVE EvaluateWholeIntervalCurve(double a, double kEnd, const ModelParameters& params,
                                              const WHOLEINTERVALSETTINGS& settings,
                                              const std::atomic<bool>* abort) {
    if (std::string problem = CheckInputs(a, kEnd, params, settings); !problem.empty())
        return Invalid(std::move(problem));

    const std::int32_t intervals = settings.nIntervals;
    const double step = kEnd / intervals;
    PATHGRID grid;
    grid.a = a;
    grid.drift = std::abs(params[3]) * step;
    grid.sigma = std::abs(params[0]) * std::sqrt(step);
    grid.nIntervals = intervals;
    // A component's variance over one grid step, half of f(step) without
    // the drift. Without any, a path is a straight line, which crosses only
    // where the grid sees it.
    const double stepVariance = step * ModelSqrDiffusion(params, step);
    grid.twoOverVariance = stepVariance > 0.0 ? 2.0 / stepVariance : 0.0;
    CModelPathGenerator generator;
    double clippedShare = 0.0;
    if (HasDecayingPart(params)) {
        // f(j step) of the model is f'(j) of the model with Di, Da scaled by
        // sqrt(step), tc by 1 / step and s by step: grid steps become image
        // steps for the generator.
        const double root = std::sqrt(step);
        if (!generator.Prepare(
                {params[0] * root, params[1] * root, params[2] / step, params[3] * step},
                std::int64_t{intervals} + 1))
            return Invalid("the model's paths cannot be generated over this time span");
        clippedShare = generator.ClippedShare();
        if (clippedShare > kMaxClippedShare)
            return Invalid(FormatC("the model is no valid random process over this time span "
                                   "(its decaying part falls back faster than the walk grows: "
                                   "%.2g of the variance has no process)",
                                   clippedShare));
        grid.pGenerator = &generator;
    }

    const std::size_t points = static_cast<std::size_t>(intervals) + 1;
    const std::int32_t jobs = (settings.nPaths + kPathsPerJob - 1) / kPathsPerJob;
    std::vector<std::vector<double>> jobSums(static_cast<std::size_t>(jobs));
    std::vector<double> sums(2 * points, 0.0);
    std::atomic<bool> stop = false;
    const auto job = [&](std::size_t index, std::size_t) {
        if (stop.load() || (abort && abort->load()))
            return;
        const std::int64_t first = static_cast<std::int64_t>(index) * kPathsPerJob;
        const std::int32_t count = static_cast<std::int32_t>(
            std::min<std::int64_t>(kPathsPerJob, settings.nPaths - first));
        std::vector<double> own(2 * points, 0.0);
        SimulatePaths(grid, settings.nSeed, first, count, own);
        jobSums[index] = std::move(own);
    };
    bool aborted = false;
    const auto judge = [&](std::size_t index) {
        std::vector<double>& own = jobSums[index];
        if (own.empty()) {
            aborted = true;
            return true;
        }
        for (std::size_t i = 0; i < sums.size(); ++i)
            sums[i] += own[i];
        own = {};
        return false;
    };
    const std::size_t workers = settings.nThreads > 0
                                    ? settings.nThreads
                                    : std::max(1u, std::thread::hardware_concurrency());
    RunJobsInOrder(static_cast<std::size_t>(jobs), workers, job, judge, stop);
    if (aborted)
        return Invalid("the computation was cancelled");

    WHOLEINTERVALCURVE curve;
    curve.bValid = true;
    curve.nPaths = settings.nPaths;
    curve.nSeed = settings.nSeed;
    curve.dClippedShare = clippedShare;
    const double n = settings.nPaths;
    const double a2 = a * a;
    for (std::size_t j = 0; j < points; ++j) {
        const double k = static_cast<double>(j) * step;
        const double mean = sums[2 * j] / n;
        const double meanSquare = sums[2 * j + 1] / n;
        curve.steps.push_back(k);
        curve.probability.push_back(std::min(mean, StabilityProbability(a2, k, params)));
        curve.standardError.push_back(std::sqrt(std::max(0.0, meanSquare - mean * mean) / (n - 1)));
    }
    return curve;
}

WHOLEINTERVALCURVE WholeIntervalCurve(double a, double kEnd, const ModelParameters& params,
                                      const WHOLEINTERVALSETTINGS& settings) {
    static std::mutex mutex;
    static std::deque<CACHEDCURVE> cache;
    {
        const std::lock_guard lock(mutex);
        for (const CACHEDCURVE& entry : cache)
            if (entry.Matches(a, kEnd, params, settings))
                return entry.curve;
    }
    WHOLEINTERVALCURVE curve = EvaluateWholeIntervalCurve(a, kEnd, params, settings);
    const std::lock_guard lock(mutex);
    cache.push_front({a, kEnd, params, settings, curve});
    if (cache.size() > kCachedCurves)
        cache.pop_back();
    return curve;
}
