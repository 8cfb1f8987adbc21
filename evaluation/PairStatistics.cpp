#include "evaluation/PairStatistics.h"

#include "evaluation/PairSumKernels.h"
#include "infra/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <cstddef>

namespace {

// The shift of a distance is the mean of q over this many pairs spread over
// the series: near enough to the mean for the one-pass variance, and no
// dependence on the previous distance, whose mean a strong drift moves away.
constexpr std::size_t kShiftPairs = 32;
// The one-pass variance loses about (mean - K)^2 / variance times the
// rounding of q; beyond this ratio the distance is summed again around its
// mean (a loss of at most 1e-14 relative below it).
constexpr double kShiftRatio = 100.0;
// Distances per block; a free worker takes the next block, so all get about
// the same share of the work, which shrinks with the distance.
constexpr std::int32_t kThreadBlock = 16;
// Below this many pairs the work (about a millisecond) does not pay for
// starting more threads.
constexpr double kThreadedPairs = 2e6;

struct RUN {
    std::size_t nStart = 0;
    std::size_t nLength = 0;
};

bool IsStrictlyIncreasing(const std::vector<A1SAMPLE>& samples) {
    for (std::size_t i = 1; i < samples.size(); ++i)
        if (samples[i].nImage <= samples[i - 1].nImage)
            return false;
    return true;
}

// The maximal runs of consecutive image numbers, longest first (ties in
// series order, so the sums are added in the same order on every run of the
// program). With strictly increasing numbers a pair k numbers apart at
// positions k apart lies inside one run, so the runs hold every pair.
std::vector<RUN> GapFreeRuns(const std::vector<A1SAMPLE>& samples) {
    std::vector<RUN> runs;
    std::size_t start = 0;
    for (std::size_t i = 1; i <= samples.size(); ++i) {
        if (i == samples.size() ||
            static_cast<std::int64_t>(samples[i].nImage) - samples[i - 1].nImage != 1) {
            runs.push_back(RUN{start, i - start});
            start = i;
        }
    }
    std::stable_sort(runs.begin(), runs.end(),
                     [](const RUN& a, const RUN& b) { return a.nLength > b.nLength; });
    return runs;
}

class CPairSums {
public:
    CPairSums(const std::vector<A1SAMPLE>& samples, std::int32_t kEnd)
        : m_Runs(GapFreeRuns(samples)), m_nEndK(kEnd) {
        const std::size_t count = samples.size();
        m_X.resize(count);
        m_Y.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            m_X[i] = samples[i].dX;
            m_Y[i] = samples[i].dY;
        }
        // no distance reaches beyond the longest run
        const std::size_t longest = m_Runs.empty() ? 0 : m_Runs.front().nLength;
        if (longest < static_cast<std::size_t>(m_nEndK))
            m_nEndK = static_cast<std::int32_t>(longest);
        const auto size = static_cast<std::size_t>(std::max(m_nEndK, 1));
        m_ShiftX.assign(size, 0.0);
        m_ShiftY.assign(size, 0.0);
        m_Sums.assign(size, SHIFTEDSUMS{});
        m_Pairs.assign(size, 0.0);
        CountPairs();
        ChooseShifts(samples);
    }

    void Accumulate(PairSumKernel kernel, const ProgressCallback& progress,
                    const AbortFlag* pAbort);
    std::vector<A1SAMPLE> Records(PairSumKernel kernel);

private:
    void CountPairs();
    void ChooseShifts(const std::vector<A1SAMPLE>& samples);
    // Adds the sums of the distances [kFirst, kEnd) over every run.
    void AccumulateDistances(PairSumKernel kernel, std::int32_t kFirst, std::int32_t kEnd);
    double BlockPairs(std::int32_t block) const;

    std::vector<double> m_X, m_Y;
    std::vector<RUN> m_Runs;
    std::int32_t m_nEndK;
    std::vector<double> m_ShiftX, m_ShiftY;
    std::vector<SHIFTEDSUMS> m_Sums;
    std::vector<double> m_Pairs; // pairs per distance
};

// Pairs of distance k: the sum of L - k over the runs longer than k, from the
// histogram of the run lengths, so that many short runs cost no pass over
// every distance.
void CPairSums::CountPairs() {
    std::vector<double> runsLonger(m_Pairs.size() + 1, 0.0);
    std::vector<double> lengthsLonger(m_Pairs.size() + 1, 0.0);
    for (const RUN& run : m_Runs) {
        const std::size_t top = std::min(run.nLength, m_Pairs.size()); // longer than k < top
        runsLonger[top] += 1.0;
        lengthsLonger[top] += static_cast<double>(run.nLength);
    }
    double runs = 0.0;
    double lengths = 0.0;
    for (std::size_t k = m_Pairs.size(); k-- > 1;) {
        runs += runsLonger[k + 1];
        lengths += lengthsLonger[k + 1];
        m_Pairs[k] = lengths - static_cast<double>(k) * runs;
    }
}

void CPairSums::ChooseShifts(const std::vector<A1SAMPLE>& samples) {
    const std::size_t count = samples.size();
    for (std::int32_t k = 1; k < m_nEndK; ++k) {
        const auto distance = static_cast<std::size_t>(k);
        double sumX = 0.0;
        double sumY = 0.0;
        std::size_t taken = 0;
        const std::size_t span = count - distance;
        for (std::size_t j = 0; j < kShiftPairs; ++j) {
            const std::size_t i = j * span / kShiftPairs;
            if (static_cast<std::int64_t>(samples[i + distance].nImage) - samples[i].nImage != k)
                continue;
            const double dx = m_X[i + distance] - m_X[i];
            const double dy = m_Y[i + distance] - m_Y[i];
            sumX += dx * dx;
            sumY += dy * dy;
            ++taken;
        }
        if (taken == 0 && m_Runs.front().nLength > distance) {
            // every sampled pair spans a gap: the first pair of the longest run
            const std::size_t i = m_Runs.front().nStart;
            const double dx = m_X[i + distance] - m_X[i];
            const double dy = m_Y[i + distance] - m_Y[i];
            sumX = dx * dx;
            sumY = dy * dy;
            taken = 1;
        }
        if (taken > 0) {
            m_ShiftX[distance] = sumX / static_cast<double>(taken);
            m_ShiftY[distance] = sumY / static_cast<double>(taken);
        }
    }
}

void CPairSums::AccumulateDistances(PairSumKernel kernel, std::int32_t kFirst, std::int32_t kEnd) {
    for (const RUN& run : m_Runs) {
        // the runs are sorted longest first: the rest have no pair this far
        if (run.nLength <= static_cast<std::size_t>(kFirst))
            break;
        PAIRSUMSJOB job;
        job.pX = m_X.data() + run.nStart;
        job.pY = m_Y.data() + run.nStart;
        job.nLength = run.nLength;
        job.nBegin = 0;
        job.nEnd = run.nLength;
        job.nFirstK = kFirst;
        job.nEndK = kEnd;
        job.pShiftX = m_ShiftX.data();
        job.pShiftY = m_ShiftY.data();
        job.pSums = m_Sums.data();
        kernel(job);
    }
}

double CPairSums::BlockPairs(std::int32_t block) const {
    double pairs = 0.0;
    const std::int32_t last = std::min(block + kThreadBlock, m_nEndK);
    for (std::int32_t k = std::max(block, 1); k < last; ++k)
        pairs += m_Pairs[static_cast<std::size_t>(k)];
    return pairs;
}

void CPairSums::Accumulate(PairSumKernel kernel, const ProgressCallback& progress,
                           const AbortFlag* pAbort) {
    double total = 0.0;
    for (double pairs : m_Pairs)
        total += pairs;
    std::atomic<double> done{0.0};
    // Block b covers the distances [b * kThreadBlock, (b + 1) * kThreadBlock);
    // distance 0 is never evaluated. Each block writes only its own
    // distances' sums, so any worker may take any block.
    const auto blocks = static_cast<std::size_t>((m_nEndK + kThreadBlock - 1) / kThreadBlock);
    const std::size_t workers = total >= kThreadedPairs ? WorkerCount() : 1;
    const std::size_t ran =
        ParallelFor(blocks, workers, [&](std::size_t index, std::size_t worker) {
            const auto block = static_cast<std::int32_t>(index) * kThreadBlock;
            // a block is the unit of work between two looks at the flag
            if (IsAborted(pAbort))
                return;
            AccumulateDistances(kernel, std::max(block, 1),
                                std::min(block + kThreadBlock, m_nEndK));
            const double pairs = BlockPairs(block);
            const double sofar = done.fetch_add(pairs) + pairs;
            // one worker reports, so that the shares it sees never go back
            if (worker == 0 && progress && total > 0.0)
                progress(std::min(sofar / total, 1.0));
        });
    // another worker may have finished last
    if (ran > 1 && progress)
        progress(1.0);
}

std::vector<A1SAMPLE> CPairSums::Records(PairSumKernel kernel) {
    std::vector<A1SAMPLE> records;
    for (std::int32_t k = 1; k < m_nEndK; ++k) {
        const auto distance = static_cast<std::size_t>(k);
        const double pairs = m_Pairs[distance];
        if (pairs <= 0.0)
            continue;
        const SHIFTEDSUMS* sums = &m_Sums[distance];
        double meanX = m_ShiftX[distance] + sums->dSumX / pairs;
        double meanY = m_ShiftY[distance] + sums->dSumY / pairs;
        double varX = sums->dSumSqX / pairs - (sums->dSumX / pairs) * (sums->dSumX / pairs);
        double varY = sums->dSumSqY / pairs - (sums->dSumY / pairs) * (sums->dSumY / pairs);
        const double offX = meanX - m_ShiftX[distance];
        const double offY = meanY - m_ShiftY[distance];
        if (offX * offX > kShiftRatio * varX || offY * offY > kShiftRatio * varY) {
            // the shift was far from the mean: sum this distance again around
            // the mean the first pass found (the second pass of the plain
            // evaluation)
            m_ShiftX[distance] = meanX;
            m_ShiftY[distance] = meanY;
            m_Sums[distance] = SHIFTEDSUMS{};
            AccumulateDistances(kernel, k, k + 1);
            meanX += sums->dSumX / pairs;
            meanY += sums->dSumY / pairs;
            varX = sums->dSumSqX / pairs - (sums->dSumX / pairs) * (sums->dSumX / pairs);
            varY = sums->dSumSqY / pairs - (sums->dSumY / pairs) * (sums->dSumY / pairs);
        }
        // a variance is never negative; the subtraction can leave a rounding
        // residue below 0 when every q is the same
        records.push_back(A1SAMPLE{k, meanX, meanY, std::max(varX, 0.0), std::max(varY, 0.0)});
    }
    return records;
}

// Numbering that is not strictly increasing (repeated or backward image
// numbers) can pair samples across runs: each position is tested, and the
// squared differences are kept for the second pass around the mean.
std::vector<A1SAMPLE> MaskedPairStatistics(const std::vector<A1SAMPLE>& samples, std::int32_t kEnd,
                                           const ProgressCallback& progress,
                                           const AbortFlag* pAbort) {
    const std::size_t count = samples.size();
    std::vector<double> squaresX(count);
    std::vector<double> squaresY(count);
    std::vector<A1SAMPLE> records;
    for (std::int32_t k = 1; k < kEnd; ++k) {
        if (IsAborted(pAbort))
            return {};
        const auto distance = static_cast<std::size_t>(k);
        std::size_t n = 0;
        double sumX = 0.0;
        double sumY = 0.0;
        for (std::size_t i = 0; i + distance < count; ++i) {
            if (static_cast<std::int64_t>(samples[i + distance].nImage) - samples[i].nImage != k)
                continue;
            const double dx = samples[i + distance].dX - samples[i].dX;
            const double dy = samples[i + distance].dY - samples[i].dY;
            squaresX[n] = dx * dx;
            squaresY[n] = dy * dy;
            sumX += squaresX[n];
            sumY += squaresY[n];
            ++n;
        }
        if (progress)
            progress(static_cast<double>(k) / static_cast<double>(kEnd));
        if (n == 0)
            continue;
        const double pairs = static_cast<double>(n);
        const double meanX = sumX / pairs;
        const double meanY = sumY / pairs;
        double devX = 0.0;
        double devY = 0.0;
        for (std::size_t j = 0; j < n; ++j) {
            devX += (squaresX[j] - meanX) * (squaresX[j] - meanX);
            devY += (squaresY[j] - meanY) * (squaresY[j] - meanY);
        }
        records.push_back(A1SAMPLE{k, meanX, meanY, devX / pairs, devY / pairs});
    }
    return records;
}

} // namespace

std::vector<A1SAMPLE> ComputePairStatistics(const std::vector<A1SAMPLE>& samples, std::int32_t kEnd,
                                            const ProgressCallback& progress,
                                            const AbortFlag* pAbort) {
    if (samples.size() < 2 || kEnd < 2)
        return {};
    if (!IsStrictlyIncreasing(samples))
        return MaskedPairStatistics(samples, kEnd, progress, pAbort);
    CPairSums sums(samples, kEnd);
    const PairSumKernel kernel = CharKernelFunction(ChosenCharKernel());
    sums.Accumulate(kernel, progress, pAbort);
    if (IsAborted(pAbort))
        return {};
    return sums.Records(kernel);
}
