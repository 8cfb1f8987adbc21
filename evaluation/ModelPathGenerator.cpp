// Exact Gaussian paths of the stability model by circulant embedding.
//
// Per component the model's path without drift is X(n) with X(0) = 0 and
// stationary increments d(n) = X(n + 1) - X(n) whose sums have the mean
// square V(k) = E[(X(n + k) - X(n))^2] = k (Di^2 + Da^2 exp(-k / tc)), half
// of f(k) without its drift term. The increments' autocovariance follows
// from V by second differences (V(0) = 0, V(-k) = V(k)):
//
//     gamma(h) = (V(h + 1) - 2 V(h) + V(h - 1)) / 2,
//
// which for the walk is Di^2 at h = 0 and 0 elsewhere. The covariance matrix
// of m increments is the Toeplitz matrix of gamma(0 .. m - 1); embedded in a
// circulant of size M >= 2 m (first row gamma(0), ..., gamma(M/2), ...,
// gamma(1)) it is diagonalised by the DFT, whose eigenvalues lambda are the
// DFT of that row. With Z a vector of M independent complex normals
// (independent real and imaginary parts of variance 1), the DFT of
// sqrt(lambda / M) Z has real and imaginary parts that are two independent
// draws of the circulant's Gaussian; their first m entries are exact draws of
// the increments (Davies and Harte, Biometrika 74, 1987; Wood and Chan, J.
// Comput. Graph. Stat. 3, 1994). One FFT of size M gives both components, so
// a path costs O(M log M).
//
// The method is exact while no eigenvalue is negative. The model is not a
// valid process for every parameter set: where Da dominates Di, f falls back
// after its peak, which no process with stationary increments does for
// long. Then the negative eigenvalues are set to zero (the nearest valid
// circulant in the sense of Wood and Chan, their section 3) and the share of
// variance removed is kept for the caller to report.
#include "evaluation/ModelPathGenerator.h"

#include "data/DegreeConversion.h"
#include "data/LogSimulator.h"
#include "evaluation/StabilityModel.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <new>

namespace {

// One plan per size for the whole program: planning is FFTW's only call that
// is not thread-safe, so it is serialised here, while executing a shared plan
// on new arrays (fftw_execute_dft) is safe from any thread. FFTW_ESTIMATE
// picks the same algorithm on every run, so a seed gives the same bits each
// time; buffers from fftw_malloc share the alignment the plan assumes.
class CFftPlans {
public:
    static fftw_plan InPlaceForward(int size) {
        static CFftPlans plans;
        const std::lock_guard<std::mutex> lock(plans.m_mutex);
        fftw_plan& plan = plans.m_plans[size];
        if (plan == nullptr) {
            fftw_complex* probe = fftw_alloc_complex(static_cast<std::size_t>(size));
            if (probe == nullptr)
                return nullptr;
            plan = fftw_plan_dft_1d(size, probe, probe, FFTW_FORWARD, FFTW_ESTIMATE);
            fftw_free(probe);
        }
        return plan;
    }

private:
    ~CFftPlans() {
        for (auto& entry : m_plans)
            if (entry.second != nullptr)
                fftw_destroy_plan(entry.second);
    }
    std::mutex m_mutex;
    std::map<int, fftw_plan> m_plans;
};

struct FftwFree {
    void operator()(fftw_complex* p) const { fftw_free(p); }
};
using FftwBuffer = std::unique_ptr<fftw_complex[], FftwFree>;

FftwBuffer AllocateBuffer(std::int64_t size) {
    return FftwBuffer(fftw_alloc_complex(static_cast<std::size_t>(size)));
}

// FFTW is fastest on sizes whose prime factors are small; the embedding may
// be larger than 2 m (Wood and Chan allow any M >= 2 m), and a larger one
// only adds lags of the same autocovariance.
std::int64_t SmoothEvenSize(std::int64_t minimum) {
    std::int64_t best = std::int64_t{2};
    while (best < minimum)
        best *= 2; // a power of two is always available
    for (std::int64_t p7 = 1; p7 <= best; p7 *= 7)
        for (std::int64_t p5 = p7; p5 <= best; p5 *= 5)
            for (std::int64_t p3 = p5; p3 <= best; p3 *= 3) {
                std::int64_t size = p3 * 2;
                while (size < minimum)
                    size *= 2;
                best = std::min(best, size);
            }
    return best;
}

// V(k) of the decaying part alone, per component: k Da^2 exp(-k / tc), with
// the model's own handling of tc <= 0 and Da = 0.
double DecayingSquareChange(const ModelParameters& params, double k) {
    const ModelParameters decaying{0.0, params[kModelDa], params[kModelTc], 0.0};
    return k * ModelSqrDiffusion(decaying, k);
}

// gamma(h) of the increments. The walk contributes Di^2 at lag 0 only,
// exactly rather than as a second difference of large numbers.
double IncrementAutocovariance(const ModelParameters& params, std::int64_t lag) {
    const auto h = static_cast<double>(lag);
    const double decaying =
        (DecayingSquareChange(params, h + 1.0) - 2.0 * DecayingSquareChange(params, h) +
         DecayingSquareChange(params, std::fabs(h - 1.0))) /
        2.0;
    return decaying + (lag == 0 ? params[kModelDi] * params[kModelDi] : 0.0);
}

} // namespace

bool CModelPathGenerator::Prepare(const ModelParameters& params, std::int64_t nPoints,
                                  double dDriftAngleDeg) {
    *this = CModelPathGenerator();
    const bool bNumbers = std::all_of(params.begin(), params.end(),
                                      [](double value) { return std::isfinite(value); }) &&
                          std::isfinite(dDriftAngleDeg);
    if (!bNumbers || nPoints < 1 || nPoints > kMaxModelPathPoints)
        return false;
    const std::int64_t increments = nPoints - 1;
    if (increments > 0) {
        const std::int64_t size = SmoothEvenSize(2 * increments);
        FftwBuffer row = AllocateBuffer(size);
        const fftw_plan plan = CFftPlans::InPlaceForward(static_cast<int>(size));
        if (!row || plan == nullptr)
            return false;
        for (std::int64_t j = 0; j < size; ++j) {
            row[j][0] = IncrementAutocovariance(params, std::min(j, size - j));
            row[j][1] = 0.0;
        }
        fftw_execute_dft(plan, row.get(), row.get());
        // The row is real and symmetric, so the eigenvalues are the real
        // parts; the imaginary parts are rounding.
        double positive = 0.0;
        double negative = 0.0;
        std::vector<double> amplitudes(static_cast<std::size_t>(size));
        for (std::int64_t k = 0; k < size; ++k) {
            const double eigenvalue = row[k][0];
            (eigenvalue < 0.0 ? negative : positive) += std::fabs(eigenvalue);
            amplitudes[static_cast<std::size_t>(k)] =
                std::sqrt(std::max(eigenvalue, 0.0) / static_cast<double>(size));
        }
        // Inf or NaN here means Di, Da or the spread over the path overflows.
        if (!std::isfinite(positive + negative))
            return false;
        m_dClippedShare = positive + negative > 0.0 ? negative / (positive + negative) : 0.0;
        m_amplitudes = std::move(amplitudes);
        m_nEmbedding = size;
    }
    m_dDriftX = params[kModelS] * std::cos(dDriftAngleDeg * kDegToRad);
    m_dDriftY = params[kModelS] * std::sin(dDriftAngleDeg * kDegToRad);
    m_nPoints = nPoints;
    return true;
}

void CModelPathGenerator::Draw(CSimulationRandom& random, MODELPATH& path) const {
    const auto points = static_cast<std::size_t>(m_nPoints);
    path.x.assign(points, 0.0);
    path.y.assign(points, 0.0);
    if (points < 2)
        return;
    FftwBuffer buffer = AllocateBuffer(m_nEmbedding);
    const fftw_plan plan = CFftPlans::InPlaceForward(static_cast<int>(m_nEmbedding));
    if (!buffer || plan == nullptr)
        throw std::bad_alloc();
    for (std::int64_t k = 0; k < m_nEmbedding; ++k) {
        const double amplitude = m_amplitudes[static_cast<std::size_t>(k)];
        buffer[k][0] = amplitude * random.Gauss();
        buffer[k][1] = amplitude * random.Gauss();
    }
    fftw_execute_dft(plan, buffer.get(), buffer.get());
    // The real parts are the x increments, the imaginary parts the y ones;
    // the drift is added as s n rather than summed, so that it stays exactly
    // linear.
    double x = 0.0;
    double y = 0.0;
    for (std::size_t n = 1; n < points; ++n) {
        x += buffer[n - 1][0];
        y += buffer[n - 1][1];
        const auto steps = static_cast<double>(n);
        path.x[n] = x + m_dDriftX * steps;
        path.y[n] = y + m_dDriftY * steps;
    }
}
