#pragma once

#include <string>
#include <vector>

class CA1TimeSeries;
struct COMPARISONVERDICT;
struct CONFIDENCERESULT;
struct REPORTIMAGE;

// A series of a comparison; everything borrowed, the confidence may be
// absent.
struct COMPAREDSERIES {
    std::string strLabel; // "run1.log, series 001"
    const CA1TimeSeries* pSeries = nullptr;
    const CONFIDENCERESULT* pConfidence = nullptr;
};

// The comparison as text (LF line ends): the series, a table with a row per
// quantity and a column per series (the value and its 90 % interval when
// computed, "-" where the series has none) and, given a verdict, the ratio
// of the first two series' model lifetimes with its interval and verdict.
std::string BuildComparisonText(const std::vector<COMPAREDSERIES>& series,
                                const COMPARISONVERDICT* pVerdict);

// The same as an HTML document with the overlaid diagrams (drawn by the
// caller); pure ASCII, the same bytes for the same inputs.
std::string BuildComparisonHtml(const std::vector<COMPAREDSERIES>& series,
                                const COMPARISONVERDICT* pVerdict,
                                const std::vector<REPORTIMAGE>& images);
