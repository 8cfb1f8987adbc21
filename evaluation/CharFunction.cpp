#include "data/CA1TimeSeries.h"
#include "infra/CNumber.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>
#include <vector>

namespace {

// A distance must be shorter than a tenth of the series (with the default
// minimum diversity) and at least this many distances must be left, or the
// function says too little about the series to be worth evaluating.
constexpr std::int32_t kMinDistances = 10;
// The measurement error is extrapolated from the straight line through the
// first three records.
constexpr std::size_t kInterceptRecords = 3;

// Second pass: four independent partial sums, so that the additions of one
// chain do not wait for each other and the rounding error grows more slowly.
double SumOfSquaredDeviations(const double* values, std::size_t n, double mean) {
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const double d0 = values[i] - mean;
        const double d1 = values[i + 1] - mean;
        const double d2 = values[i + 2] - mean;
        const double d3 = values[i + 3] - mean;
        s0 += d0 * d0;
        s1 += d1 * d1;
        s2 += d2 * d2;
        s3 += d3 * d3;
    }
    for (; i < n; ++i) {
        const double d = values[i] - mean;
        s0 += d * d;
    }
    return (s0 + s1) + (s2 + s3);
}

bool IsContiguous(const std::vector<A1SAMPLE>& samples) {
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (static_cast<std::int64_t>(samples[i].nImage) - samples[i - 1].nImage != 1)
            return false;
    }
    return true;
}

struct PAIRSUMS {
    std::size_t nPairs = 0;
    double dSumX = 0.0; // sum of the squared x differences
    double dSumY = 0.0;
};

// Fills the squared differences of every pair that lies exactly k image
// numbers apart into squaresX and squaresY and sums them on the way (the
// first of the two passes).
PAIRSUMS CollectSquaredDifferences(const std::vector<A1SAMPLE>& samples, std::int32_t k,
                                   bool contiguous, double* squaresX, double* squaresY) {
    const std::size_t end = samples.size() - static_cast<std::size_t>(k);
    const A1SAMPLE* s = samples.data();
    PAIRSUMS sums;
    if (contiguous) {
        // Every position pair is k images apart: no test, no branch, and two
        // partial sums per component so that the additions overlap.
        double x0 = 0.0, x1 = 0.0, y0 = 0.0, y1 = 0.0;
        std::size_t i = 0;
        for (; i + 2 <= end; i += 2) {
            const double dx0 = s[i + k].dX - s[i].dX;
            const double dy0 = s[i + k].dY - s[i].dY;
            const double dx1 = s[i + 1 + k].dX - s[i + 1].dX;
            const double dy1 = s[i + 1 + k].dY - s[i + 1].dY;
            squaresX[i] = dx0 * dx0;
            squaresY[i] = dy0 * dy0;
            squaresX[i + 1] = dx1 * dx1;
            squaresY[i + 1] = dy1 * dy1;
            x0 += squaresX[i];
            y0 += squaresY[i];
            x1 += squaresX[i + 1];
            y1 += squaresY[i + 1];
        }
        for (; i < end; ++i) {
            const double dx = s[i + k].dX - s[i].dX;
            const double dy = s[i + k].dY - s[i].dY;
            squaresX[i] = dx * dx;
            squaresY[i] = dy * dy;
            x0 += squaresX[i];
            y0 += squaresY[i];
        }
        sums.nPairs = end;
        sums.dSumX = x0 + x1;
        sums.dSumY = y0 + y1;
        return sums;
    }
    // a pair across a gap in the numbering spans more than k images
    std::size_t n = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (static_cast<std::int64_t>(s[i + k].nImage) - s[i].nImage != k)
            continue;
        const double dx = s[i + k].dX - s[i].dX;
        const double dy = s[i + k].dY - s[i].dY;
        squaresX[n] = dx * dx;
        squaresY[n] = dy * dy;
        sums.dSumX += squaresX[n];
        sums.dSumY += squaresY[n];
        ++n;
    }
    sums.nPairs = n;
    return sums;
}

struct LINE {
    double dIntercept = 0.0;
    double dSlope = 0.0;
};

// Least-squares line through the first three records of one component;
// both values stay 0 when the three distances coincide.
LINE FitFirstRecords(const std::vector<A1SAMPLE>& records, double A1SAMPLE::*component) {
    double x[kInterceptRecords];
    double y[kInterceptRecords];
    double xMean = 0.0;
    double yMean = 0.0;
    for (std::size_t j = 0; j < kInterceptRecords; ++j) {
        x[j] = static_cast<double>(records[j].nImage);
        y[j] = records[j].*component;
        xMean += x[j];
        yMean += y[j];
    }
    xMean /= 3.0;
    yMean /= 3.0;
    double sxx = 0.0;
    double sxy = 0.0;
    for (std::size_t j = 0; j < kInterceptRecords; ++j) {
        sxx += (x[j] - xMean) * (x[j] - xMean);
        sxy += (y[j] - yMean) * (x[j] - xMean);
    }
    LINE line;
    if (sxx != 0.0) {
        line.dSlope = sxy / sxx;
        line.dIntercept = yMean - line.dSlope * xMean;
    }
    return line;
}

// Astigmatism values near the largest double (a log that writes 1e200 nm)
// make their differences or squares overflow; the infinities and the
// not-a-numbers that follow must never be shown as a result.
bool IsFiniteFunction(const std::vector<A1SAMPLE>& records, const LINE& lineX, const LINE& lineY) {
    const auto finite = [](const A1SAMPLE& r) {
        return std::isfinite(r.dX) && std::isfinite(r.dY) && std::isfinite(r.dErrX) &&
               std::isfinite(r.dErrY);
    };
    // The sums stand for the measurement error and the initial slope.
    return std::all_of(records.begin(), records.end(), finite) &&
           std::isfinite(lineX.dIntercept + lineY.dIntercept) &&
           std::isfinite(lineX.dSlope + lineY.dSlope);
}

} // namespace

void CA1TimeSeries::EvaluateCharFunction(std::int32_t nMinDiversity) {
    const std::size_t count = m_Samples.size();
    if (static_cast<std::int64_t>(count) < nMinDiversity)
        return;
    // A diversity of 0 or below gives no usable distance (and must not reach
    // the division).
    std::int32_t kmax = 0;
    if (nMinDiversity > 0 && count > 0) {
        const double limit =
            std::floor((static_cast<double>(count) - 1.0) / static_cast<double>(nMinDiversity));
        kmax = limit > std::numeric_limits<std::int32_t>::max()
                   ? std::numeric_limits<std::int32_t>::max()
                   : static_cast<std::int32_t>(limit);
    }
    if (kmax < kMinDistances) {
        LogMessage("ERROR: The recorded series is too short. Record more images!");
        return;
    }
    LogMessage("Extracting data for the characteristic function...");
    LogMessage(FormatC("- inter-image distances of 1 up to %d", kmax));

    // The records are built aside first, so that a series whose gaps leave
    // too few distances keeps its earlier evaluation, as a short one does.
    std::vector<A1SAMPLE> records;
    try {
        records.reserve(static_cast<std::size_t>(kmax - 1));
        const bool contiguous = IsContiguous(m_Samples);
        std::vector<double> squaresX(count);
        std::vector<double> squaresY(count);
        for (std::int32_t k = 1; k < kmax; ++k) {
            const PAIRSUMS sums = CollectSquaredDifferences(m_Samples, k, contiguous,
                                                            squaresX.data(), squaresY.data());
            const std::size_t n = sums.nPairs;
            if (n == 0)
                continue;
            const double pairs = static_cast<double>(n);
            const double mx = sums.dSumX / pairs;
            const double my = sums.dSumY / pairs;
            const double vx = SumOfSquaredDeviations(squaresX.data(), n, mx) / pairs;
            const double vy = SumOfSquaredDeviations(squaresY.data(), n, my) / pairs;
            records.push_back(A1SAMPLE{k, mx, my, vx, vy});
        }
    } catch (const std::bad_alloc&) {
        LogMessage("ERROR: The characteristic function could not be evaluated: out of memory.");
        return;
    }
    if (records.size() < kInterceptRecords) {
        LogMessage("ERROR: The characteristic function has fewer than three distances with image "
                   "pairs: the image numbering has too many gaps.");
        return;
    }
    const LINE lineX = FitFirstRecords(records, &A1SAMPLE::dX);
    const LINE lineY = FitFirstRecords(records, &A1SAMPLE::dY);
    for (A1SAMPLE& record : records) {
        record.dX -= lineX.dIntercept;
        record.dY -= lineY.dIntercept;
    }
    if (!IsFiniteFunction(records, lineX, lineY)) {
        LogMessage("ERROR: The characteristic function could not be evaluated: the astigmatism "
                   "values are too large (their differences or squares overflow).");
        return;
    }

    m_CFuncData.clear();
    m_nCFuncState = 0;
    m_nModelState = 0;
    m_nMinDiversity = nMinDiversity;
    m_dTolerance = 0.0;
    m_dLifetime = 0.0;
    m_nLifetimeState = 0;
    m_dModelLifetime = 0.0;
    m_nModelLifetimeState = 0;
    m_dMeasError = 0.0;
    m_dMeasErrorX = 0.0;
    m_dMeasErrorY = 0.0;
    m_dCFuncSlope = 0.0;
    m_dModelDi = 0.0;
    m_dModelDa = 0.0;
    m_dModelTc = 0.0;
    m_dModelS = 0.0;
    m_dModelSSqr = 0.0;

    // The intercept stands for the noise that every difference of two
    // measurements carries. The records are freed of the intercept as
    // extrapolated, so f(t) starts near zero whatever its sign; but a noise
    // variance cannot be negative, so a line that meets the axis below 0 (a
    // curved function, or noise too small to resolve) reports an error of 0
    // rather than the square root of a negative number.
    m_dCFuncSlope = lineX.dSlope + lineY.dSlope;
    const double noiseX = std::max(lineX.dIntercept, 0.0);
    const double noiseY = std::max(lineY.dIntercept, 0.0);
    m_dMeasErrorX = std::sqrt(noiseX);
    m_dMeasErrorY = std::sqrt(noiseY);
    m_dMeasError = std::sqrt(noiseX + noiseY);
    LogMessage(FormatC("- extracted measurement error: %.3f nm, (%.3f, %.3f) nm", m_dMeasError,
                       m_dMeasErrorX, m_dMeasErrorY));
    m_CFuncData = std::move(records);
    LogMessage("The characteristic function was extracted successfully.");
    m_nCFuncState = 1;
}
