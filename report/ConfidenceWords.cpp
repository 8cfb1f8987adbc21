#include "report/ConfidenceWords.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/ProbabilityModel.h"

bool IsConfidenceTime(ConfidenceQuantity quantity) {
    return quantity == kConfidenceTc || quantity >= kConfidenceModelLifetime;
}

std::string ConfidenceValueWord(ConfidenceQuantity quantity, double value,
                                const CA1TimeSeries& series) {
    if (IsConfidenceTime(quantity) && !series.HasTimeBase())
        return kNoTimeBaseWord;
    // Only the lifetimes can be unbounded; tc, however large, is a number.
    if (quantity >= kConfidenceModelLifetime && IsUnboundedTime(value, series.m_dPeriod))
        return kUnboundedWord;
    return {};
}
