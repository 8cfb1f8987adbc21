#include "diagram/PlotPrimitives.h"

#include "diagram/CDiagramDC.h"
#include "infra/CNumber.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

// Pixel coordinates further out than this cannot touch the bitmap; clamping
// to it keeps every conversion to int defined whatever the data were.
constexpr double kCoordinateLimit = 1.0e7;

constexpr std::array<double, 12> kTickSteps = {0.1,  0.2,  0.5,  1.0,   2.0,   5.0,
                                               10.0, 20.0, 50.0, 100.0, 200.0, 500.0};
// Ticks are placed about this many pixels apart.
constexpr int kTickSpacing = 80;
// A span between 1 and 1000 with the smallest step 0.1 gives at most 10000
// ticks; more means the range was not meant for ticks at all.
constexpr double kMaxTicks = 10001.0;

int ClampToInt(double value) {
    return static_cast<int>(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

bool IsFinite(PointD point) {
    return std::isfinite(point.x) && std::isfinite(point.y);
}

// The scan of one segment along its major axis. `along` and `across` pick
// the coordinates: for a mostly horizontal segment the major axis is x.
void ScanSmoothSegment(CDiagramDC& dc, PointD from, PointD to, bool majorIsX, COLORREF32 colour,
                       double width) {
    const double a0 = majorIsX ? from.x : from.y;
    const double b0 = majorIsX ? from.y : from.x;
    const double da = (majorIsX ? to.x : to.y) - a0;
    const double db = (majorIsX ? to.y : to.x) - b0;
    const double lengthSqr = da * da + db * db;
    const double halfWidth = width / 2.0;
    // The scan half-window: the half width rounded, plus one pixel for the
    // soft edge.
    const double window = std::trunc(halfWidth + 0.5) + 1.0;
    const int majorExtent = majorIsX ? dc.Width() : dc.Height();
    const int minorExtent = majorIsX ? dc.Height() : dc.Width();

    // Pixels outside the bitmap are never touched, so the scan is limited to
    // it; this keeps a segment to far-away points from taking forever.
    const double firstMajor = std::max(std::floor(std::min(a0, a0 + da)) - window, 0.0);
    const double lastMajor =
        std::min(std::ceil(std::max(a0, a0 + da)) + window, double(majorExtent - 1));
    for (double i = firstMajor; i <= lastMajor; i += 1.0) {
        const double centre = std::trunc((i - a0) / da * db + b0 + 0.5);
        const double firstMinor = std::max(centre - window, 0.0);
        const double lastMinor = std::min(centre + window, double(minorExtent - 1));
        for (double j = firstMinor; j <= lastMinor; j += 1.0) {
            const double u = std::clamp(((j - b0) * db + (i - a0) * da) / lengthSqr, 0.0, 1.0);
            const double offsetA = i - (a0 + u * da);
            const double offsetB = j - (b0 + u * db);
            const double distance = std::sqrt(offsetA * offsetA + offsetB * offsetB) - halfWidth;
            // Pixels whose centre lies within half a pixel of the edge get
            // the share of the pixel that the line covers.
            if (distance < 0.5) {
                const int x = static_cast<int>(majorIsX ? i : j);
                const int y = static_cast<int>(majorIsX ? j : i);
                dc.BlendPixel(x, y, colour, std::min(1.0, 0.5 - distance));
            }
        }
    }
}

enum class AxisSide { Bottom, Left, Right };

void DrawTicks(CDiagramDC& dc, AxisSide side, QPoint origin, int axisPixels, double pixelExtent,
               double span, double centre) {
    const double step = ChooseTickStep(span, axisPixels);
    if (step == 0.0 || !std::isfinite(centre))
        return;
    const double firstIndex = std::ceil((centre - span / 2.0) / step);
    const double lastIndex = std::floor((centre + span / 2.0) / step);
    if (!(lastIndex >= firstIndex) || lastIndex - firstIndex > kMaxTicks)
        return;
    // Counted, not stepped: beyond 2^53 adding 1 to the index would not move.
    const auto count = static_cast<long long>(lastIndex - firstIndex);
    for (long long i = 0; i <= count; ++i) {
        // Adding 0.0 turns a negative zero into zero, so no label reads "-0".
        const double value = (firstIndex + static_cast<double>(i)) * step + 0.0;
        const std::string label = TickLabel(value, step);
        const QSize extent = dc.GetTextExtent(label);
        const double share = (value - centre + span / 2.0) / span;
        switch (side) {
        case AxisSide::Bottom: {
            const int p = origin.x() + RoundTrunc(share * pixelExtent);
            dc.MoveTo(p, origin.y() + 1);
            dc.LineTo(p, origin.y() + 5);
            dc.TextOut(p - RoundTrunc(extent.width() / 2.0), origin.y() + 5, label);
            break;
        }
        case AxisSide::Left:
        case AxisSide::Right: {
            const int q = origin.y() + ClampToInt(std::round(share * pixelExtent));
            const int outwards = side == AxisSide::Left ? -1 : 1;
            dc.MoveTo(origin.x() + outwards, q);
            dc.LineTo(origin.x() + 6 * outwards, q);
            const int labelX =
                side == AxisSide::Left ? origin.x() - extent.width() - 5 : origin.x() + 5;
            dc.TextOut(labelX, q - RoundTrunc(extent.height() / 2.0), label);
            break;
        }
        }
    }
}

} // namespace

int RoundTrunc(double value) {
    return ClampToInt(std::trunc(value + 0.5));
}

void DrawSmoothLineTo(PointD& pen, CDiagramDC* dc, PointD point, COLORREF32 colour, double width) {
    const PointD from = pen;
    pen = point;
    if (!dc || !(width > 0.0) || !IsFinite(from) || !IsFinite(point))
        return;
    const double dx = std::fabs(point.x - from.x);
    const double dy = std::fabs(point.y - from.y);
    if (dx * dx + dy * dy == 0.0)
        return;
    ScanSmoothSegment(*dc, from, point, dx >= dy, colour, width);
}

void DrawMarker(CDiagramDC& dc, double x, double y, std::int32_t shape, std::int32_t size,
                COLORREF32 colour) {
    if (size <= 0 || shape < MarkerPixel || shape > MarkerDisc || !std::isfinite(x) ||
        !std::isfinite(y) || std::fabs(x) > kCoordinateLimit || std::fabs(y) > kCoordinateLimit)
        return;
    const int xi = RoundTrunc(x);
    const int yi = RoundTrunc(y);
    switch (shape) {
    case MarkerPixel:
        dc.SetPixel(xi, yi, colour);
        return;
    case MarkerCross: {
        const double e = (size - 1) / 2.0;
        const COLORREF32 previousPen = dc.SelectPen(colour);
        dc.MoveTo(RoundTrunc(x - e), yi);
        dc.LineTo(RoundTrunc(x + e) + 1, yi);
        dc.MoveTo(xi, RoundTrunc(y - e));
        dc.LineTo(xi, RoundTrunc(y + e) + 1);
        dc.SelectPen(previousPen);
        return;
    }
    default:
        break;
    }
    const double e = size / 2.0;
    const int n = RoundTrunc(e);
    // Only the part of the examined square that lies on the bitmap matters.
    const int firstA = std::max(-(n + 1), -xi);
    const int lastA = std::min(n + 1, dc.Width() - 1 - xi);
    const int firstB = std::max(-(n + 1), -yi);
    const int lastB = std::min(n + 1, dc.Height() - 1 - yi);
    for (int b = firstB; b <= lastB; ++b) {
        for (int a = firstA; a <= lastA; ++a) {
            const double ox = xi + a - x;
            const double oy = yi + b - y;
            if (shape == MarkerSquare) {
                const double dxe = std::fabs(ox) - e;
                const double dye = std::fabs(oy) - e;
                if (dxe < 0.5 && dye < 0.5)
                    dc.BlendPixel(xi + a, yi + b, colour,
                                  std::clamp(0.5 - dxe, 0.0, 1.0) *
                                      std::clamp(0.5 - dye, 0.0, 1.0));
            } else {
                const double d = std::sqrt(ox * ox + oy * oy) - e;
                if (d < -0.5)
                    dc.SetPixel(xi + a, yi + b, colour);
                else if (d < 0.5)
                    dc.BlendPixel(xi + a, yi + b, colour, 0.5 - d);
            }
        }
    }
}

double ChooseTickStep(double span, int axisPixels) {
    // Outside [1, 1000) the unit choice found no unit for the span; the
    // labels would not fit the formats.
    if (!(span >= 1.0 && span < 1000.0))
        return 0.0;
    double step = 1.0;
    long long bound = axisPixels;
    for (const double candidate : kTickSteps) {
        const long long pixels = static_cast<long long>(candidate / span * axisPixels + 0.5);
        const long long distance = std::llabs(pixels - kTickSpacing);
        // Strictly smaller: of two candidates equally near, the smaller step
        // stays.
        if (distance < bound) {
            bound = distance;
            step = candidate;
        }
    }
    return step;
}

std::string TickLabel(double value, double step) {
    if (step >= 1.0)
        return FormatC("%.0f", std::round(value) + 0.0);
    return FormatC("%.1f", value);
}

void DrawXAxisTicks(CDiagramDC& dc, QPoint start, int right, double span, double centre) {
    const int length = right - start.x();
    DrawTicks(dc, AxisSide::Bottom, start, length, length, span, centre);
}

void DrawLeftAxisTicks(CDiagramDC& dc, QPoint bottom, QPoint top, double span, double centre) {
    DrawTicks(dc, AxisSide::Left, bottom, std::abs(top.y() - bottom.y()), top.y() - bottom.y(),
              span, centre);
}

void DrawRightAxisTicks(CDiagramDC& dc, QPoint bottom, QPoint top, double span, double centre) {
    DrawTicks(dc, AxisSide::Right, bottom, std::abs(top.y() - bottom.y()), top.y() - bottom.y(),
              span, centre);
}
