#pragma once

#include "data/A1Types.h"

#include <cstddef>
#include <vector>

// What to do with samples that the outlier test flags.
//   Flag: name them in the log and the report, evaluate every sample.
//   Exclude: take them out of the evaluation, as if their images were missing.
//   Keep: no test at all.
enum class OutlierChoice { Flag, Exclude, Keep };

// The robust increment test: a sample is an outlier when the step into it
// and the step out of it both exceed kOutlierThreshold robust spreads of the
// steps and point in opposite directions: the walk went out and came back. A
// pair of neighbouring samples that went out and came back together counts
// the same way, and a sample at either end of the series is flagged by its
// single step. A jump that stays (a step) is no outlier.
//
// The spread is 1.4826 times the median absolute deviation of the steps
// between neighbouring images, x and y each on its own (the factor makes it
// the standard deviation for normal steps, Rousseeuw & Croux 1993); a step
// across g missing images is allowed sqrt(g + 1) times as much, as a walk
// grows over g + 1 periods. Returns the positions of the flagged samples in
// ascending order. O(N log N).
std::vector<std::size_t> FindOutliers(const std::vector<A1SAMPLE>& samples);

// How many robust spreads both steps of an outlier exceed. Calibrated on
// clean random walks with drift and noise (tests/validation/): at most 0.1 %
// of their samples are flagged, and spikes of five step spreads and more are
// found.
extern const double kOutlierThreshold;

// The samples without the given positions (ascending), for an evaluation that
// treats the flagged images as missing.
std::vector<A1SAMPLE> WithoutSamples(const std::vector<A1SAMPLE>& samples,
                                     const std::vector<std::size_t>& positions);
