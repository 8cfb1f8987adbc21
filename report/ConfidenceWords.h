#pragma once

#include "evaluation/BootstrapConfidence.h"

#include <string>

class CA1TimeSeries;

inline constexpr const char* kUnboundedWord = "unbounded";
inline constexpr const char* kNoTimeBaseWord = "time base unknown";

// Where a confidence value stands for no number, the report and the
// replicate table write the same word instead: "time base unknown" for every
// time of a recording without a time base, "unbounded" for a lifetime the
// search found beyond its range. Empty when the value is a plain number.
std::string ConfidenceValueWord(ConfidenceQuantity quantity, double value,
                                const CA1TimeSeries& series);

// The quantities given in seconds: tc and the lifetimes.
bool IsConfidenceTime(ConfidenceQuantity quantity);
