#pragma once

#include "data/CA1TimeSeries.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

// A series with every evaluation result set by hand, so that the report and
// the exports can be checked without running the evaluation. The period of
// 0.5 s and the tc of 12.3 image steps put tc at 6.15 s.
CA1TimeSeries MakeEvaluatedSeries();

// Golden files: compares `actual` with tests/fixtures/<name> byte for byte,
// or rewrites the fixture when TESSARIC_UPDATE_GOLDEN=1 is set.
void ExpectMatchesGolden(const std::string& actual, const std::string& name);

// Little-endian readers for the binary files, independent of the host.
std::int32_t Int32At(const std::string& bytes, std::size_t offset);
float Float32At(const std::string& bytes, std::size_t offset);
