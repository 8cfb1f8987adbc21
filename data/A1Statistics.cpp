#include "data/CA1TimeSeries.h"

#include "data/DegreeConversion.h"
#include "infra/CNumber.h"

#include <cmath>

namespace {

// Below this the samples are used unrotated: a rotation that small changes
// nothing that the statistics lines could show.
constexpr double kNoRotationDeg = 1e-8;

// The search walks 900 steps of 0.1 degree from -44.9 to +45.0: a quarter
// turn covers every correlation, since turning by 90 degrees swaps x and y
// (and one sign) without changing |correlation|.
constexpr int kSearchSteps = 900;
constexpr double kSearchStepDeg = 0.1;
constexpr double kSearchStartDeg = -44.9;

// Calls visit(x', y') for every sample rotated counter-clockwise by angleDeg.
template <typename Visit>
void ForEachRotated(const std::vector<A1SAMPLE>& samples, double angleDeg, Visit visit) {
    if (std::fabs(angleDeg) < kNoRotationDeg) {
        for (const A1SAMPLE& sample : samples)
            visit(sample.dX, sample.dY);
        return;
    }
    const double angle = angleDeg * kDegToRad;
    const double cosA = std::cos(angle);
    const double sinA = std::sin(angle);
    for (const A1SAMPLE& sample : samples)
        visit(sample.dX * cosA - sample.dY * sinA, sample.dY * cosA + sample.dX * sinA);
}

struct MOMENTS {
    double meanX = 0.0;
    double meanY = 0.0;
    double varX = 0.0;
    double covXY = 0.0;
    double varY = 0.0;
};

MOMENTS RotatedMoments(const CA1TimeSeries& series, double angleDeg) {
    MOMENTS m;
    series.GetMeanXY(m.meanX, m.meanY, angleDeg);
    series.GetCovarianceXY(m.varX, m.covXY, m.varY, m.meanX, m.meanY, angleDeg);
    return m;
}

} // namespace

void CA1TimeSeries::GetMeanXY(double& meanX, double& meanY, double angle) const {
    if (m_Samples.empty())
        return;
    double sumX = 0.0;
    double sumY = 0.0;
    ForEachRotated(m_Samples, angle, [&](double x, double y) {
        sumX += x;
        sumY += y;
    });
    const double n = static_cast<double>(m_Samples.size());
    meanX = sumX / n;
    meanY = sumY / n;
}

void CA1TimeSeries::GetCovarianceXY(double& varX, double& covXY, double& varY, double meanX,
                                    double meanY, double angle) const {
    if (m_Samples.empty())
        return;
    double sumXX = 0.0;
    double sumXY = 0.0;
    double sumYY = 0.0;
    ForEachRotated(m_Samples, angle, [&](double x, double y) {
        sumXX += (x - meanX) * (x - meanX);
        sumXY += (x - meanX) * (y - meanY);
        sumYY += (y - meanY) * (y - meanY);
    });
    // Population moments (1/N): the lines describe the recorded samples,
    // they do not estimate a wider population.
    const double n = static_cast<double>(m_Samples.size());
    varX = sumXX / n;
    covXY = sumXY / n;
    varY = sumYY / n;
}

bool CA1TimeSeries::FindMinCorrelationRotation(double& angle, double& correlation) const {
    double best = 1.0;
    bool found = false;
    for (int i = 0; i < kSearchSteps; ++i) {
        const double phi = i * kSearchStepDeg + kSearchStartDeg;
        const MOMENTS m = RotatedMoments(*this, phi);
        const double spread = std::sqrt(m.varX * m.varY);
        // An angle at which x or y stops varying has no correlation; a tie
        // keeps the first angle.
        if (spread > 0.0 && std::fabs(m.covXY / spread) < best) {
            best = std::fabs(m.covXY / spread);
            angle = phi;
            found = true;
        }
    }
    if (found)
        correlation = best;
    return found;
}

void CA1TimeSeries::GetStatisticsText(std::string& statistics, std::string& correlation) const {
    const MOMENTS m = RotatedMoments(*this, 0.0);
    // Corrupt values (the import warned of them) overflow the sums or print
    // as hundreds of digits: no number here would mean anything.
    const double moments[] = {m.meanX, m.meanY, std::sqrt(m.varX), std::sqrt(m.varY)};
    for (const double value : moments) {
        if (!(std::fabs(value) <= kLargestPlausibleA22Nm)) {
            statistics = "(A22x,A22y): the values are too large for statistics; see the warnings "
                         "in the message log.";
            correlation.clear();
            return;
        }
    }
    const double spread = std::sqrt(m.varX * m.varY);
    if (!(spread > 0.0)) {
        statistics = FormatC("Avg. (A22x,A22y): (%.2f, %.2f) nm, SDev: (%.2f, %.2f) nm", m.meanX,
                             m.meanY, std::sqrt(m.varX), std::sqrt(m.varY));
        correlation.clear();
        return;
    }
    statistics = FormatC("(A22x,A22y) Avg: (%.2f, %.2f) nm, SDev: (%.2f, %.2f) nm, x-y-corr: %.3f",
                         m.meanX, m.meanY, std::sqrt(m.varX), std::sqrt(m.varY), m.covXY / spread);
    double angle = 0.0;
    double best = 0.0;
    FindMinCorrelationRotation(angle, best);
    // The angle is a total rotation: the one to enter for a re-extraction.
    correlation =
        FormatC("Minimum correlation with %.1f deg rotation (%.3f).", angle + m_dRotationDeg, best);
}
