// Validation of the checks for missing images, outliers and a changing walk
// (run by `make validate`, not by the tests: it takes a minute or two).
// Every series is an exact-model walk: a random walk with drift and white
// measurement noise drawn by the log simulator. Usage:
//     validate_gaps [SERIES]      (50: series per lifetime study; the
//                                 outlier and change studies take 4x as many)
#include "data/CA1TimeSeries.h"
#include "data/LogSimulator.h"
#include "evaluation/OutlierTest.h"
#include "evaluation/SeriesEvaluation.h"
#include "evaluation/WalkChangeTest.h"
#include "infra/CNumber.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

constexpr std::int32_t kImages = 4000;
constexpr double kPeriod = 2.0;

SIMULATIONSETTINGS WalkSettings(std::uint64_t seed, double di = 0.05) {
    SIMULATIONSETTINGS settings;
    settings.nImages = kImages;
    settings.dPeriod = kPeriod;
    settings.dDi = di;
    settings.dDrift = 0.001;
    settings.dDriftAngleDeg = 30.0;
    settings.dNoise = 0.05;
    settings.nSeed = seed;
    return settings;
}

// Drops each image with the given probability (never the first or last, so
// that the span stays the recording's); the period stays the recording's.
void DropImages(CA1TimeSeries& series, double share, CSimulationRandom& random) {
    std::vector<A1SAMPLE> kept;
    for (std::size_t i = 0; i < series.m_Samples.size(); ++i)
        if (i == 0 || i + 1 == series.m_Samples.size() || random.Uniform() >= share)
            kept.push_back(series.m_Samples[i]);
    series.m_Samples = std::move(kept);
}

// Standard deviation of the x steps between neighbouring samples.
double StepSpread(const std::vector<A1SAMPLE>& samples) {
    double sum = 0.0, sumSq = 0.0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const double d = samples[i].dX - samples[i - 1].dX;
        sum += d;
        sumSq += d * d;
    }
    const double n = static_cast<double>(samples.size() - 1);
    return std::sqrt(sumSq / n - (sum / n) * (sum / n));
}

// Adds a spike of 5 to 20 step spreads in a random direction to about the
// given share of the samples (never two neighbours); returns their images.
std::set<std::int32_t> InjectOutliers(CA1TimeSeries& series, double share,
                                      CSimulationRandom& random) {
    const double spread = StepSpread(series.m_Samples);
    std::set<std::int32_t> images;
    for (std::size_t i = 1; i + 1 < series.m_Samples.size(); ++i) {
        if (random.Uniform() >= share)
            continue;
        const double size = (5.0 + 15.0 * random.Uniform()) * spread;
        const double angle = 6.283185307179586 * random.Uniform();
        series.m_Samples[i].dX += size * std::cos(angle);
        series.m_Samples[i].dY += size * std::sin(angle);
        images.insert(series.m_Samples[i].nImage);
        ++i;
    }
    return images;
}

double ModelLifetime(CA1TimeSeries series, OutlierChoice choice, std::uint32_t seed) {
    EVALUATIONINPUTS inputs;
    inputs.eOutliers = choice;
    if (!EvaluateSeries(series, inputs, true, seed) || series.m_nModelLifetimeState != 1)
        return std::nan("");
    return series.m_dModelLifetime;
}

double Median(std::vector<double> values) {
    values.erase(
        std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }),
        values.end());
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Clean walks: the share of samples that the outlier test flags, over
// noise levels from none to twice the walk's step.
void CleanFlagStudy(int seriesCount) {
    const double kNoise[] = {0.0, 0.02, 0.05, 0.1};
    long flagged = 0, samples = 0;
    for (int i = 0; i < seriesCount; ++i) {
        SIMULATIONSETTINGS settings = WalkSettings(5000u + static_cast<unsigned>(i));
        settings.dNoise = kNoise[i % 4];
        const CA1TimeSeries series = SimulatedSeries(settings);
        flagged += static_cast<long>(FindOutliers(series.m_Samples).size());
        samples += static_cast<long>(series.m_Samples.size());
    }
    std::printf("Outlier test on %d clean walks of %d images (k = %.2f): %ld of %ld samples "
                "flagged (%.3f %%)\n",
                seriesCount, kImages, kOutlierThreshold, flagged, samples,
                100.0 * static_cast<double>(flagged) / static_cast<double>(samples));
}

// Missing images before and after the mends, and 1 % outliers with 10 %
// missing images: exclude against the clean series.
void LifetimeStudy(int seriesCount) {
    std::vector<double> clean, missing1, missing10, flagged, excluded, adjacent10;
    long injected = 0, found = 0;
    for (int i = 0; i < seriesCount; ++i) {
        const std::uint64_t seed = 7000u + static_cast<unsigned>(i);
        const auto fitSeed = static_cast<std::uint32_t>(i + 1);
        const CA1TimeSeries full = SimulatedSeries(WalkSettings(seed));
        CSimulationRandom random(seed * 31u + 1u);
        clean.push_back(ModelLifetime(full, OutlierChoice::Keep, fitSeed));

        CA1TimeSeries few = full;
        DropImages(few, 0.01, random);
        missing1.push_back(ModelLifetime(few, OutlierChoice::Keep, fitSeed));

        CA1TimeSeries many = full;
        DropImages(many, 0.10, random);
        missing10.push_back(ModelLifetime(many, OutlierChoice::Keep, fitSeed));
        {
            CA1TimeSeries adjacent = many;
            EVALUATIONINPUTS inputs;
            inputs.eOutliers = OutlierChoice::Keep;
            inputs.eGapPairs = GapPairRule::Adjacent;
            adjacent10.push_back(EvaluateSeries(adjacent, inputs, true, fitSeed) &&
                                         adjacent.m_nModelLifetimeState == 1
                                     ? adjacent.m_dModelLifetime
                                     : std::nan(""));
        }

        const std::set<std::int32_t> spikes = InjectOutliers(many, 0.01, random);
        const std::vector<std::size_t> positions = FindOutliers(many.m_Samples);
        std::set<std::int32_t> flaggedImages;
        for (std::size_t p : positions)
            flaggedImages.insert(many.m_Samples[p].nImage);
        injected += static_cast<long>(spikes.size());
        for (std::int32_t image : spikes)
            found += flaggedImages.count(image);
        flagged.push_back(ModelLifetime(many, OutlierChoice::Flag, fitSeed));
        excluded.push_back(ModelLifetime(many, OutlierChoice::Exclude, fitSeed));
        std::fprintf(stderr, "\rlifetime series %d of %d", i + 1, seriesCount);
    }
    std::fprintf(stderr, "\n");
    const double reference = Median(clean);
    const auto line = [&](const char* label, const std::vector<double>& values) {
        const double median = Median(values);
        std::printf("  %-44s %9.1f s  (%+.1f %%)\n", label, median,
                    100.0 * (median / reference - 1.0));
    };
    std::printf("Median model lifetime over %d walks of %d images (Di 0.05 nm, drift 0.001 nm, "
                "noise 0.05 nm, period %.0f s):\n",
                seriesCount, kImages, kPeriod);
    std::printf("  %-44s %9.1f s\n", "full series", reference);
    line("1 % images missing", missing1);
    line("10 % images missing", missing10);
    line("10 % missing, pairs by position (adjacent)", adjacent10);
    line("10 % missing + 1 % outliers, flag (as is)", flagged);
    line("10 % missing + 1 % outliers, exclude", excluded);
    std::printf("  injected outliers flagged: %ld of %ld (%.1f %%)\n", found, injected,
                100.0 * static_cast<double>(found) / static_cast<double>(injected));
}

// A twofold Di half-way against stationary walks.
void ChangeStudy(int seriesCount) {
    int detected = 0, located = 0, falseAlarms = 0;
    for (int i = 0; i < seriesCount; ++i) {
        const std::uint64_t seed = 9000u + static_cast<unsigned>(i);
        SIMULATIONSETTINGS first = WalkSettings(seed, 0.03);
        first.nImages = kImages / 2;
        SIMULATIONSETTINGS second = WalkSettings(seed + 100000u, 0.06);
        second.nImages = kImages / 2;
        CA1TimeSeries changing = SimulatedSeries(first);
        const CA1TimeSeries later = SimulatedSeries(second);
        // the second half continues where the first ended
        const A1SAMPLE end = changing.m_Samples.back();
        const A1SAMPLE start = later.m_Samples.front();
        for (const A1SAMPLE& s : later.m_Samples)
            changing.m_Samples.push_back(A1SAMPLE{s.nImage + first.nImages,
                                                  end.dX + s.dX - start.dX,
                                                  end.dY + s.dY - start.dY, 0.0, 0.0});
        const WALKCHANGE change = TestWalkChange(changing.m_Samples);
        if (change.bChanged) {
            ++detected;
            const double miss = std::fabs(change.nChangeImage - (first.nImages + 1.0));
            if (miss <= 0.1 * kImages)
                ++located;
        }
        const CA1TimeSeries stationary = SimulatedSeries(WalkSettings(seed + 200000u, 0.05));
        if (TestWalkChange(stationary.m_Samples).bChanged)
            ++falseAlarms;
    }
    std::printf("Walk change test (windows of %d images, p < %.2f) on walks of %d images:\n",
                ChooseChangeWindow(SimulatedSeries(WalkSettings(1)).m_Samples), kChangeSignificance,
                kImages);
    std::printf("  Di 0.03 -> 0.06 nm half-way: detected in %d of %d (%.0f %%); located within "
                "10 %% of the length in %d of %d detections (%.0f %%)\n",
                detected, seriesCount, 100.0 * detected / seriesCount, located, detected,
                detected > 0 ? 100.0 * located / detected : 0.0);
    std::printf("  stationary (Di 0.05 nm): false alarms in %d of %d (%.0f %%)\n", falseAlarms,
                seriesCount, 100.0 * falseAlarms / seriesCount);
}

} // namespace

int main(int argc, char** argv) {
    const int seriesCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    CleanFlagStudy(4 * seriesCount);
    ChangeStudy(2 * seriesCount);
    LifetimeStudy(seriesCount);
    return 0;
}
