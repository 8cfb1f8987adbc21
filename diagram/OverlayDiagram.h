#pragma once

#include "report/ComparisonReport.h"

#include <QImage>
#include <QSize>

#include <string>
#include <vector>

// The diagrams of a comparison: the characteristic functions f(t) with their
// models, and the probabilities P(a,t) of staying within each series'
// tolerance, every series in a colour of its own with a legend. A series
// without a time base or (for P) a model is left out.
struct OverlayImage {
    std::string strCaption;
    std::string strSuffix; // "-cfunc.png", "-prob.png"
    QImage image;
};
std::vector<OverlayImage> RenderOverlayDiagrams(const std::vector<COMPAREDSERIES>& series,
                                                QSize size);
