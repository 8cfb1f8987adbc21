#include "evaluation/ProbabilityMap.h"

#include "evaluation/ProbabilityModel.h"

#include <cmath>

PROBABILITYMAP EvaluateProbabilityMap(double a, double kEnd, const ModelParameters& params,
                                      std::int32_t nRows, std::int32_t nColumns) {
    PROBABILITYMAP map;
    if (!(std::isfinite(a) && a > 0.0 && std::isfinite(kEnd) && kEnd > 0.0) || nRows <= 0 ||
        nColumns <= 0)
        return map;
    const double low = kMapToleranceLow * a;
    const double rowHeight = (kMapToleranceHigh * a - low) / nRows;
    for (std::int32_t row = 0; row < nRows; ++row)
        map.tolerances.push_back(low + (row + 0.5) * rowHeight);
    const double columnWidth = kEnd / nColumns;
    for (std::int32_t column = 0; column < nColumns; ++column)
        map.steps.push_back((column + 0.5) * columnWidth);
    map.values.reserve(map.tolerances.size() * map.steps.size());
    for (const double tolerance : map.tolerances)
        for (const double k : map.steps)
            map.values.push_back(StabilityProbability(tolerance * tolerance, k, params));
    return map;
}
