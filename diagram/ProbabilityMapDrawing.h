#pragma once

#include "diagram/DiagramRenderer.h"

class CA1TimeSeries;
class CDiagramDC;

// The P(a, t) map: colour for P over time span and tolerance, contour lines
// at 84, 50 and 16 %, the present tolerance marked, a colour scale and a
// second tolerance axis in target resolution.

// Viridis (van der Walt and Smith, matplotlib 2015): lightness rises evenly
// from 0 to 1, so grey print and colour-blind readers see the same order.
// Values outside [0, 1] take the nearer end.
COLORREF32 ViridisColour(double value);

// The axes of the map: time spans up to twice the end of the probability
// table, tolerances from a quarter to four times the present one.
void PlanProbabilityMap(const CA1TimeSeries& series, DiagramLayout& layout);

// Cells, contours and the mark of the present tolerance inside the plot.
void DrawProbabilityMap(CDiagramDC& dc, const CA1TimeSeries& series, const DiagramLayout& layout);

// Beside the plot: the target resolution of each tolerance on the right
// axis (nothing where the series' inputs give no tolerance formula) and the
// colour scale with the contour levels. The horizontal font is selected.
void DrawProbabilityMapScales(CDiagramDC& dc, const CA1TimeSeries& series,
                              const DiagramLayout& layout);
