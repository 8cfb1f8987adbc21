// Confidence intervals by a parametric bootstrap of the whole evaluation.
//
// The method. Every replicate is a new recording of the fitted model: a
// Gaussian path with the model's random walk Di, its decaying part (Da, tc)
// and its drift s, drawn exactly by CModelPathGenerator, plus white
// measurement noise of the strength that the characteristic function
// extracted, at the recording's own image numbers (gaps included), and
// evaluated exactly as the recording was: characteristic function with its
// minimum diversity, direct lifetime, fit with a seed of its own, model
// lifetime and the three probability lifetimes. The spread of the
// replicates' results is the spread that recordings of this length, period
// and noise give for this model; the 5 % and 95 % points of it form the 90 %
// interval (the percentile interval of Efron and Tibshirani, "An
// Introduction to the Bootstrap", 1993, ch. 13).
//
// Why not a moving-block bootstrap of the measured increments: an increment
// of two noisy measurements carries the noise of both, e(n + 1) - e(n). Along
// the recording these telescope, so that the measured series keeps its noise
// bounded; glued blocks no longer telescope, and every joint adds 2 sigma^2
// of noise to the walk. With blocks of L images the rebuilt walk gains
// 2 sigma^2 / L per image step, which for a typical recording (0.2 nm noise,
// Di = 0.05 nm, L of a few tens) doubles Di^2 and so shortens every
// resampled lifetime. The parametric replicate keeps the noise where it is.
//
// What the method takes on trust: the model. Where the fitted model is no
// valid process (Da dominating Di, so that f falls back), the replicates come
// from the nearest valid one and the result says how much was clipped.
#include "evaluation/BootstrapConfidence.h"

#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/ModelPathGenerator.h"
#include "evaluation/ProbabilityModel.h"
#include "evaluation/SeriesEvaluation.h"
#include "evaluation/StabilityModel.h"
#include "infra/CNumber.h"
#include "infra/ParallelFor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <new>

namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// Independent streams from one seed: SplitMix64 (Steele, Lea and Flood,
// "Fast splittable pseudorandom number generators", OOPSLA 2014) turns the
// seed, the replicate and the stream's purpose into well-spread 64 bits, so
// that neighbouring replicates do not share sequences.
std::uint64_t MixSeed(std::uint64_t seed, std::uint64_t replicate, std::uint64_t stream) {
    std::uint64_t z = seed * 0x9E3779B97F4A7C15ull + (replicate << 2) + stream + 1;
    for (int round = 0; round < 2; ++round) {
        z += 0x9E3779B97F4A7C15ull;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
    }
    return z;
}
constexpr std::uint64_t kSeriesStream = 0;
constexpr std::uint64_t kFitStream = 1;
// The jackknife's fits count their blocks where the replicates count theirs.
constexpr std::uint64_t kJackknifeStream = 2;

// Gaps. A replicate draws its path on a grid of image steps and reads the
// samples off it. A gap of g steps is laid on the grid with min(g, b) steps,
// b a multiple of the correlation time, and the rest of it is crossed by one
// independent normal step of variance V(g) - V(b) per component (V(k) half
// of f(k) without drift, the model's mean square change over k steps) plus
// the drift over the missing steps. So a replicate costs the samples, not
// the span, and one wild image number does not make it simulate a million
// images. Where this is exact and where not:
// - the walk Di and the drift s: exact for every gap (independent steps);
// - the decaying part: exact for gaps up to b steps (laid on the grid whole);
//   for longer ones its change over the gap, and its correlation with the
//   changes on either side, differ from the model's by terms of order
//   exp(-b / tc), below 1e-13 with b = 30 tc;
// - when the span is so long against tc that the grid would outgrow its
//   budget, b shrinks to share the budget among the gaps; the gap's total
//   variance stays the model's (V(g)), its correlation with the neighbouring
//   changes is then approximate.
constexpr double kGapCorrelationTimes = 30.0;
// The grid's size at most, in samples plus a constant: a replicate then
// costs a few FFTs of the samples' length.
constexpr std::int64_t kGridSamplesFactor = 4;
constexpr std::int64_t kGridExtraPoints = 4096;

// The process a replicate is drawn from and where its samples sit on the
// generator's grid. The generator counts in image steps, in which the model
// keeps tc.
struct REPLICATEPROCESS {
    CModelPathGenerator generator;
    ModelParameters params{};
    double dNoise = 0.0;                    // nm per component
    std::vector<std::int64_t> gridPoint;    // per sample
    std::vector<double> gapVariance;        // per sample: the independent step before it
    std::vector<std::int64_t> skippedSteps; // per sample: steps left off the grid before it
};

// V(k) per component without drift.
double SquareChange(const ModelParameters& params, double k) {
    const ModelParameters noDrift{params[kModelDi], params[kModelDa], params[kModelTc], 0.0};
    return ModelFunction(noDrift, k) / 2.0;
}

// The grid steps a gap of `gap` image steps takes with at most `most`.
std::int64_t GridSteps(std::int64_t gap, std::int64_t most) {
    return std::min(gap, most);
}

void LayGrid(const std::vector<A1SAMPLE>& samples, REPLICATEPROCESS& process) {
    const double tc = process.params[kModelDa] != 0.0 && process.params[kModelTc] > 0.0
                          ? process.params[kModelTc]
                          : 0.0;
    // Without a decaying part every step is independent: one grid step per
    // gap is exact.
    std::int64_t most = std::max<std::int64_t>(
        1, static_cast<std::int64_t>(std::min(std::ceil(kGapCorrelationTimes * tc), 1e15)));
    const auto count = static_cast<std::int64_t>(samples.size());
    const std::int64_t budget = kGridSamplesFactor * count + kGridExtraPoints;
    auto gridLength = [&](std::int64_t limit) {
        std::int64_t length = 1;
        for (std::size_t i = 1; i < samples.size(); ++i)
            length += GridSteps(std::int64_t{samples[i].nImage} - samples[i - 1].nImage, limit);
        return length;
    };
    if (gridLength(most) > budget) {
        std::int64_t gaps = 0;
        for (std::size_t i = 1; i < samples.size(); ++i)
            gaps += samples[i].nImage - samples[i - 1].nImage > 1 ? 1 : 0;
        most = std::max<std::int64_t>(1, (budget - count) / std::max<std::int64_t>(gaps, 1));
    }
    process.gridPoint.assign(samples.size(), 0);
    process.gapVariance.assign(samples.size(), 0.0);
    process.skippedSteps.assign(samples.size(), 0);
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const std::int64_t gap = std::int64_t{samples[i].nImage} - samples[i - 1].nImage;
        const std::int64_t steps = GridSteps(gap, most);
        process.gridPoint[i] = process.gridPoint[i - 1] + steps;
        process.skippedSteps[i] = process.skippedSteps[i - 1] + (gap - steps);
        if (steps < gap) {
            // Where the model falls back (Da dominating), V(g) may lie below
            // V(b): the nearest valid step then adds nothing.
            const double extra = SquareChange(process.params, static_cast<double>(gap)) -
                                 SquareChange(process.params, static_cast<double>(steps));
            process.gapVariance[i] = std::max(extra, 0.0);
        }
    }
}

bool BuildProcess(const CA1TimeSeries& series, REPLICATEPROCESS& process, std::string& problem) {
    const std::vector<A1SAMPLE>& samples = series.m_Samples;
    const bool bAscending = std::adjacent_find(samples.begin(), samples.end(),
                                               [](const A1SAMPLE& a, const A1SAMPLE& b) {
                                                   return a.nImage >= b.nImage;
                                               }) == samples.end();
    if (!bAscending) {
        problem = "the image numbers do not form one ascending recording";
        return false;
    }
    // A correlation time of 0 or below leaves no decaying part in the model
    // (exp(-k/tc) is 0 for every k >= 1); the generator then gets none.
    const bool bDecaying = series.m_dModelTc > 0.0 && std::isfinite(series.m_dModelTc);
    process.params = {series.m_dModelDi, bDecaying ? series.m_dModelDa : 0.0,
                      bDecaying ? series.m_dModelTc : 0.0, series.m_dModelS};
    // The extracted error is the intercept sqrt(i_x + i_y) of the
    // characteristic function; white noise sigma per component adds 2 sigma^2
    // to each component's intercept, so sigma is half of it. A negative
    // intercept (no measurable noise) gives not a number: no noise.
    process.dNoise = std::isfinite(series.m_dMeasError) ? series.m_dMeasError / 2.0 : 0.0;
    LayGrid(samples, process);
    // The model is isotropic: the drift's direction changes nothing that the
    // evaluation reads, so it runs along x.
    if (!process.generator.Prepare(process.params, process.gridPoint.back() + 1) ||
        !std::all_of(process.gapVariance.begin(), process.gapVariance.end(),
                     [](double variance) { return std::isfinite(variance); })) {
        problem = "the fitted model gives no process of finite numbers";
        return false;
    }
    return true;
}

CA1TimeSeries DrawReplicate(const CA1TimeSeries& series, const REPLICATEPROCESS& process,
                            std::uint64_t seed) {
    CSimulationRandom random(seed);
    MODELPATH path;
    process.generator.Draw(random, path);
    CA1TimeSeries replicate;
    replicate.m_dPeriod = series.m_dPeriod;
    replicate.m_Samples = series.m_Samples;
    double gapX = 0.0;
    double gapY = 0.0;
    for (std::size_t i = 0; i < replicate.m_Samples.size(); ++i) {
        const double spread = std::sqrt(process.gapVariance[i]);
        if (spread > 0.0) {
            gapX += spread * random.Gauss();
            gapY += spread * random.Gauss();
        }
        const auto point = static_cast<std::size_t>(process.gridPoint[i]);
        const double drift = process.params[kModelS] * static_cast<double>(process.skippedSteps[i]);
        A1SAMPLE& sample = replicate.m_Samples[i];
        sample.dX = path.x[point] + gapX + drift + process.dNoise * random.Gauss();
        sample.dY = path.y[point] + gapY + process.dNoise * random.Gauss();
    }
    return replicate;
}

// The inputs that the recording's evaluation stored in it: every replicate
// is evaluated with them.
EVALUATIONINPUTS StoredInputs(const CA1TimeSeries& series) {
    return {series.m_nMinDiversity, series.m_dElEnergy, series.m_dTargetRes, series.m_dLimitPhase};
}

CONFIDENCEREPLICATE RunReplicate(const CA1TimeSeries& series, const REPLICATEPROCESS& process,
                                 std::uint32_t nSeed, std::size_t index) {
    CONFIDENCEREPLICATE result;
    try {
        CA1TimeSeries replicate =
            DrawReplicate(series, process, MixSeed(nSeed, index, kSeriesStream));
        const bool bFit = true;
        EvaluateSeries(replicate, StoredInputs(series), bFit,
                       static_cast<std::uint32_t>(MixSeed(nSeed, index, kFitStream)));
        if (!replicate.HasModel())
            return result;
        result.values = SeriesConfidenceValues(replicate);
        // A parameter that is not a number leaves nothing to count on; an
        // unbounded lifetime (infinity) is a result.
        result.bFailed = std::any_of(result.values.begin(), result.values.end(),
                                     [](double value) { return std::isnan(value); });
    } catch (const std::bad_alloc&) {
        // Counted as failed like any other replicate without a result.
    }
    return result;
}

// Runs the replicates on `threads` workers; each writes only its own slot,
// so the result does not depend on which worker ran which replicate.
void RunReplicates(const CA1TimeSeries& series, const REPLICATEPROCESS& process,
                   const CONFIDENCESETTINGS& settings, std::uint32_t threads,
                   std::vector<CONFIDENCEREPLICATE>& replicates) {
    std::mutex progressMutex;
    std::int32_t done = 0;
    const auto total = static_cast<std::int32_t>(replicates.size());
    ParallelFor(replicates.size(), threads, [&](std::size_t index, std::size_t) {
        replicates[index] = RunReplicate(series, process, settings.nSeed, index);
        const std::lock_guard<std::mutex> lock(progressMutex);
        ++done;
        if (settings.progress)
            settings.progress(done, total);
    });
}

std::uint32_t ThreadCount(const CONFIDENCESETTINGS& settings) {
    std::uint32_t threads = settings.nThreads;
    if (threads == 0)
        threads = static_cast<std::uint32_t>(WorkerCount());
    return std::min<std::uint32_t>(threads, static_cast<std::uint32_t>(settings.nReplicates));
}

} // namespace

ConfidenceValues SeriesConfidenceValues(const CA1TimeSeries& series) {
    ConfidenceValues values{};
    values[kConfidenceDi] = series.m_dModelDi;
    values[kConfidenceDa] = series.m_dModelDa;
    values[kConfidenceTc] = series.m_dModelTc * series.m_dPeriod;
    values[kConfidenceS] = series.m_dModelS;
    // An unbounded model lifetime is stored as VLARGE steps in seconds;
    // as an interval's edge it is infinite.
    values[kConfidenceModelLifetime] = series.m_nModelLifetimeState == kModelLifetimeUnbounded
                                           ? std::numeric_limits<double>::infinity()
                                           : series.m_dModelLifetime;
    const double probabilities[] = {kUpperBandProbability, kMedianProbability,
                                    kLowerBandProbability};
    for (std::size_t i = 0; i < 3; ++i)
        values[kConfidenceLowerLimit + i] =
            series.GetProbabilityLifetime(series.m_dTolerance, probabilities[i]);
    return values;
}

ConfidenceValues ConfidenceAccelerations(const CA1TimeSeries& series, std::uint32_t nSeed) {
    std::array<std::vector<double>, kConfidenceQuantities> leftOut;
    const std::size_t count = series.m_Samples.size();
    for (std::size_t block = 0; block < kJackknifeBlocks; ++block) {
        CA1TimeSeries rest;
        rest.m_dPeriod = series.m_dPeriod;
        const std::size_t first = block * count / kJackknifeBlocks;
        const std::size_t last = (block + 1) * count / kJackknifeBlocks;
        for (std::size_t i = 0; i < count; ++i)
            if (i < first || i >= last)
                rest.m_Samples.push_back(series.m_Samples[i]);
        const bool bFit = true;
        EvaluateSeries(rest, StoredInputs(series), bFit,
                       static_cast<std::uint32_t>(MixSeed(nSeed, block, kJackknifeStream)));
        ConfidenceValues values{};
        values.fill(kNotANumber);
        if (rest.HasModel())
            values = SeriesConfidenceValues(rest);
        for (std::size_t q = 0; q < kConfidenceQuantities; ++q)
            leftOut[q].push_back(values[q]);
    }
    ConfidenceValues accelerations{};
    for (std::size_t q = 0; q < kConfidenceQuantities; ++q)
        accelerations[q] = JackknifeAcceleration(leftOut[q]);
    return accelerations;
}

std::array<CONFIDENCEINTERVAL, kConfidenceQuantities>
ConfidenceIntervals(const std::vector<CONFIDENCEREPLICATE>& replicates,
                    const ConfidenceValues& estimate, BootstrapIntervalMethod method,
                    const ConfidenceValues& accelerations) {
    std::array<CONFIDENCEINTERVAL, kConfidenceQuantities> intervals{};
    std::vector<double> sorted;
    for (std::size_t q = 0; q < kConfidenceQuantities; ++q) {
        sorted.clear();
        for (const CONFIDENCEREPLICATE& replicate : replicates)
            if (!replicate.bFailed)
                sorted.push_back(replicate.values[q]);
        std::sort(sorted.begin(), sorted.end());
        const BOOTSTRAPINTERVAL interval =
            BootstrapInterval(method, sorted, estimate[q], accelerations[q]);
        intervals[q] = {estimate[q], interval.dLower, interval.dUpper};
    }
    return intervals;
}

CONFIDENCERESULT EvaluateConfidence(const CA1TimeSeries& series,
                                    const CONFIDENCESETTINGS& settings) {
    CONFIDENCERESULT result;
    result.nSeed = settings.nSeed;
    if (!series.HasModel() || series.m_Samples.empty()) {
        series.LogMessage("ERROR: Confidence intervals need an evaluated characteristic function "
                          "and a fitted model.");
        return result;
    }
    if (settings.nReplicates < 1) {
        series.LogMessage("ERROR: Confidence intervals need at least one replicate.");
        return result;
    }
    REPLICATEPROCESS process;
    std::string problem;
    if (!BuildProcess(series, process, problem)) {
        series.LogMessage("ERROR: Confidence intervals cannot be computed: " + problem + ".");
        return result;
    }
    const std::uint32_t threads = ThreadCount(settings);
    series.LogMessage("Resampling the evaluation for confidence intervals ...");
    result.replicates.resize(static_cast<std::size_t>(settings.nReplicates));
    RunReplicates(series, process, settings, threads, result.replicates);

    result.bValid = true;
    result.nReplicates = settings.nReplicates;
    result.dClippedShare = process.generator.ClippedShare();
    const ConfidenceValues estimate = SeriesConfidenceValues(series);
    const ConfidenceValues accelerations = settings.method == BootstrapIntervalMethod::BCa
                                               ? ConfidenceAccelerations(series, settings.nSeed)
                                               : ConfidenceValues{};
    result.intervals =
        ConfidenceIntervals(result.replicates, estimate, settings.method, accelerations);
    result.nFailed = static_cast<std::int32_t>(
        std::count_if(result.replicates.begin(), result.replicates.end(),
                      [](const CONFIDENCEREPLICATE& replicate) { return replicate.bFailed; }));
    series.LogMessage(FormatC("- %d replicates evaluated, %d of them without a result.",
                              static_cast<int>(result.nReplicates),
                              static_cast<int>(result.nFailed)));
    return result;
}
