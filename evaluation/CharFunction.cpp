#include "data/CA1TimeSeries.h"
#include "evaluation/PairStatistics.h"
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

void CA1TimeSeries::EvaluateCharFunction(std::int32_t nMinDiversity,
                                         const ProgressCallback& progress,
                                         const AbortFlag* pAbort) {
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
    if (progress)
        progress(0.0);
    try {
        records = ComputePairStatistics(m_Samples, kmax, progress, pAbort);
    } catch (const std::bad_alloc&) {
        LogMessage("ERROR: The characteristic function could not be evaluated: out of memory.");
        return;
    }
    // the caller logs the cancel; the series keeps its earlier evaluation
    if (IsAborted(pAbort))
        return;
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
    m_nModelLifetimeState = kModelLifetimeNone;
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
    // extrapolated, so f(t) starts near zero whatever its sign. The total is
    // the root of the summed intercepts: one slightly negative component
    // (noise too small to resolve) still leaves a valid total. Only where an
    // intercept, or their sum, is negative, which no noise variance can be,
    // is the error reported as 0 instead of the root of a negative number.
    m_dCFuncSlope = lineX.dSlope + lineY.dSlope;
    m_dMeasErrorX = std::sqrt(std::max(lineX.dIntercept, 0.0));
    m_dMeasErrorY = std::sqrt(std::max(lineY.dIntercept, 0.0));
    m_dMeasError = std::sqrt(std::max(lineX.dIntercept + lineY.dIntercept, 0.0));
    LogMessage(FormatC("- extracted measurement error: %.3f nm, (%.3f, %.3f) nm", m_dMeasError,
                       m_dMeasErrorX, m_dMeasErrorY));
    m_CFuncData = std::move(records);
    LogMessage("The characteristic function was extracted successfully.");
    m_nCFuncState = 1;
}
