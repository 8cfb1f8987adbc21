#pragma once

#include "diagram/DiagramStyle.h"

#include <QPoint>

#include <cstdint>
#include <string>

class CDiagramDC;

// A point in bitmap pixels with sub-pixel precision; also the pen position
// that a smooth polyline continues from.
struct PointD {
    double x = 0.0;
    double y = 0.0;
};

enum MarkerShape : std::int32_t {
    MarkerPixel = 1,
    MarkerCross = 2,
    MarkerSquare = 3,
    MarkerDisc = 4,
};

// trunc(v + 0.5), clamped far beyond any bitmap so that the conversion to int
// stays defined: the rounding of the drawing code, which truncates towards
// zero and so rounds negative halves up.
int RoundTrunc(double value);

// Anti-aliased segment of the given width with rounded ends from the pen
// position to the point; the pen position then moves to the point, also when
// nothing is drawn (no context, width 0 or less).
void DrawSmoothLineTo(PointD& pen, CDiagramDC* dc, PointD point, COLORREF32 colour, double width);

// One marker centred on (x, y); nothing for an unknown shape or size 0.
void DrawMarker(CDiagramDC& dc, double x, double y, std::int32_t shape, std::int32_t size,
                COLORREF32 colour);

// Tick marks with labels below a horizontal axis from `start` to x = `right`
// showing centre +- span / 2, and beside vertical axes from `bottom` up to
// `top`. Span and centre are in the display unit; spans outside [1, 1000)
// get no ticks.
void DrawXAxisTicks(CDiagramDC& dc, QPoint start, int right, double span, double centre);
void DrawLeftAxisTicks(CDiagramDC& dc, QPoint bottom, QPoint top, double span, double centre);
void DrawRightAxisTicks(CDiagramDC& dc, QPoint bottom, QPoint top, double span, double centre);

// The step that brings ticks closest to 80 pixels apart on an axis of
// `axisPixels`; 0 when the span gets no ticks.
double ChooseTickStep(double span, int axisPixels);
// "%d" of the rounded value for steps of 1 and more, "%.1f" below.
std::string TickLabel(double value, double step);
