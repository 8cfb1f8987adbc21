#include "evaluation/ModelFitBounds.h"

#include "data/CA1TimeSeries.h"

#include <algorithm>
#include <cmath>

FITBOUNDS ModelFitBounds(const CA1TimeSeries& series) {
    FITBOUNDS bounds;
    const double t0 = series.m_dPeriod;
    const auto& records = series.m_CFuncData;
    double fmax = records.front().dX + records.front().dY;
    double tmax = records.front().nImage * t0;
    std::int32_t kLargest = records.front().nImage;
    for (const A1SAMPLE& record : records) {
        fmax = std::max(fmax, record.dX + record.dY);
        tmax = std::max(tmax, record.nImage * t0);
        kLargest = std::max(kLargest, record.nImage);
    }
    // the largest distance; without a usable period it is the distance itself
    // rather than 0 / 0
    const double kt = (t0 > 0.0 && std::isfinite(t0)) ? tmax / t0 : static_cast<double>(kLargest);
    // Di cannot explain more than the largest value over the largest
    // distance, Da not more than twice the initial slope, the drift not more
    // than twice the largest value; tc lies within the extracted range. The
    // slope enters as its magnitude: a negative initial slope (noise) would
    // otherwise give bounds, and random starts, that are not numbers.
    const double diLimit = std::sqrt(fmax / kt);
    const double daLimit = 2.0 * std::sqrt(std::fabs(series.m_dCFuncSlope));
    const double sLimit = 2.0 * std::sqrt(fmax) / kt;
    bounds.lower = {-diLimit, -daLimit, 0.0, -sLimit};
    bounds.upper = {diLimit, daLimit, kt, sLimit};
    bounds.dFMax = fmax;
    bounds.dKt = kt;
    return bounds;
}

ModelParameters ModelFitScales(const FITBOUNDS& bounds) {
    ModelParameters scales{};
    for (std::size_t j = 0; j < scales.size(); ++j) {
        double width = bounds.upper[j] - bounds.lower[j];
        // The model feels a change of tc in proportion to tc itself, so a
        // correlation time between one step and the largest distance is at
        // home on a logarithmic scale, whose middle is the square root of
        // that distance. Its whole range as the scale would let the first
        // steps sweep tc across the box, where most starts lose Da to 0
        // and, with it, every trace of tc.
        if (j == kModelTc)
            width = std::sqrt(width);
        // a power of two divides without rounding; a subnormal width would
        // give a scale whose quotients overflow
        scales[j] = std::isnormal(width) && width > 0.0 ? std::ldexp(1.0, std::ilogb(width)) : 1.0;
    }
    return scales;
}
