// Confidence intervals by a parametric bootstrap of the whole evaluation.
//
// The method. Every replicate is a new recording of the fitted process:
// the model's random walk Di, its drift s and its decaying part (Da, tc),
// plus white measurement noise of the strength that the characteristic
// function extracted, sampled at the recording's own image numbers (gaps
// included) and evaluated exactly as the recording was: characteristic
// function with its minimum diversity, direct lifetime, fit with a seed of
// its own, model lifetime and the three probability lifetimes. The spread
// of the replicates' results is the spread that recordings of this length,
// period and noise give for this process; the 5 % and 95 % points of it
// form the 90 % interval (the percentile interval of Efron and Tibshirani,
// "An Introduction to the Bootstrap", 1993, ch. 13).
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
// What the method takes on trust: the model. The decaying part is made, as
// by the log simulator, by a stationary correlated process whose mean square
// change starts like 2 k Da^2 exp(-k/tc) but levels off instead of falling
// back (no stationary process does that), so the intervals of Da and tc are
// approximate when that part matters; Di, s and the lifetimes of a walk with
// drift come from the model exactly.
#include "evaluation/BootstrapConfidence.h"

#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/ProbabilityModel.h"
#include "evaluation/SeriesEvaluation.h"
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

// The process a replicate is drawn from. The generator counts in image
// steps (a period of 1), in which the model keeps tc.
struct REPLICATEPROCESS {
    SIMULATIONSETTINGS settings;
    std::int32_t nFirstImage = 0;
};

bool BuildProcess(const CA1TimeSeries& series, REPLICATEPROCESS& process, std::string& problem) {
    const std::vector<A1SAMPLE>& samples = series.m_Samples;
    const std::int64_t first = samples.front().nImage;
    const std::int64_t span = std::int64_t{samples.back().nImage} - first + 1;
    // Each image of the span is simulated and the recorded ones are kept,
    // which needs ascending numbers; a span beyond the simulator's limit is
    // no recording but broken numbers.
    const bool bAscending = std::adjacent_find(samples.begin(), samples.end(),
                                               [](const A1SAMPLE& a, const A1SAMPLE& b) {
                                                   return a.nImage >= b.nImage;
                                               }) == samples.end();
    if (!bAscending || span > kMaxSimulatedImages) {
        problem = "the image numbers do not form one ascending recording";
        return false;
    }
    SIMULATIONSETTINGS& settings = process.settings;
    settings.nImages = static_cast<std::int32_t>(span);
    settings.dPeriod = 1.0;
    settings.dDi = series.m_dModelDi;
    settings.dDrift = series.m_dModelS;
    // The model is isotropic: the drift's direction changes nothing that
    // the evaluation reads, so it runs along x.
    settings.dDriftAngleDeg = 0.0;
    // A correlation time of 0 or below leaves no decaying part in the model
    // (exp(-k/tc) is 0 for every k >= 1); the generator then gets none.
    const bool bDecaying = series.m_dModelTc > 0.0 && std::isfinite(series.m_dModelTc);
    settings.dDa = bDecaying ? series.m_dModelDa : 0.0;
    settings.dTc = bDecaying ? series.m_dModelTc : 1.0;
    // The extracted error is the intercept sqrt(i_x + i_y) of the
    // characteristic function; white noise sigma per component adds 2 sigma^2
    // to each component's intercept, so sigma is half of it. A negative
    // intercept (no measurable noise) gives not a number: no noise.
    settings.dNoise = std::isfinite(series.m_dMeasError) ? series.m_dMeasError / 2.0 : 0.0;
    if (!std::isfinite(settings.dDi) || !std::isfinite(settings.dDrift) ||
        !std::isfinite(settings.dDa) || !std::isfinite(settings.dNoise)) {
        problem = "the fitted model is not a set of numbers";
        return false;
    }
    process.nFirstImage = static_cast<std::int32_t>(first);
    return true;
}

CA1TimeSeries DrawReplicate(const CA1TimeSeries& series, const REPLICATEPROCESS& process,
                            std::uint64_t seed) {
    CSimulationRandom random(seed);
    const std::vector<std::array<double, 2>> walk = SimulateAstigmatism(process.settings, random);
    CA1TimeSeries replicate;
    replicate.m_dPeriod = series.m_dPeriod;
    replicate.m_Samples = series.m_Samples;
    for (A1SAMPLE& sample : replicate.m_Samples) {
        const auto& value = walk[static_cast<std::size_t>(sample.nImage - process.nFirstImage)];
        sample.dX = value[0];
        sample.dY = value[1];
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

double ConfidencePercentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty())
        return kNotANumber;
    const double rank = std::ceil(p * static_cast<double>(sorted.size()));
    const auto index = static_cast<std::size_t>(std::max(rank, 1.0)) - 1;
    return sorted[std::min(index, sorted.size() - 1)];
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
    const ConfidenceValues estimate = SeriesConfidenceValues(series);
    std::vector<double> sorted;
    for (std::size_t q = 0; q < kConfidenceQuantities; ++q) {
        sorted.clear();
        for (const CONFIDENCEREPLICATE& replicate : result.replicates)
            if (!replicate.bFailed)
                sorted.push_back(replicate.values[q]);
        std::sort(sorted.begin(), sorted.end());
        result.intervals[q] = {estimate[q],
                               ConfidencePercentile(sorted, kConfidenceLowerProbability),
                               ConfidencePercentile(sorted, kConfidenceUpperProbability)};
    }
    result.nFailed = static_cast<std::int32_t>(
        std::count_if(result.replicates.begin(), result.replicates.end(),
                      [](const CONFIDENCEREPLICATE& replicate) { return replicate.bFailed; }));
    series.LogMessage(FormatC("- %d replicates evaluated, %d of them without a result.",
                              static_cast<int>(result.nReplicates),
                              static_cast<int>(result.nFailed)));
    return result;
}
