#include "diagram/ProbabilityMapDrawing.h"

#include "data/CA1TimeSeries.h"
#include "diagram/PlotPrimitives.h"
#include "evaluation/AstigmatismTolerance.h"
#include "evaluation/ProbabilityMap.h"
#include "evaluation/ProbabilityModel.h"
#include "infra/CNumber.h"
#include "report/ExportCurves.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Viridis at the ninths 0, 1/8, ..., 1 as 0xRRGGBB; linear between them
// (within a few levels of the full 256-entry table).
constexpr std::array<std::uint32_t, 9> kViridis = {0x440154, 0x472D7B, 0x3B528B, 0x2C728E, 0x21918C,
                                                   0x28AE80, 0x5EC962, 0xADDC30, 0xFDE725};
// The map reaches twice as far in time as the probability plot's table, so
// that tolerances looser than the present one show where they end too.
constexpr double kMapTimeReach = 2.0;
// At most this many cells each way: enough for a smooth picture at the
// window's size, and P over 200 x 200 cells is quick.
constexpr int kMaxCells = 200;
constexpr double kContourLevels[] = {kUpperBandProbability, kMedianProbability,
                                     kLowerBandProbability};
constexpr double kContourWidth = 1.5;
// The mark of the present tolerance: a white line on a black one, which
// stays visible on dark and light cells alike.
constexpr double kMarkOuterWidth = 3.0;
constexpr double kMarkInnerWidth = 1.0;
constexpr COLORREF32 kBlack = 0x000000;
constexpr COLORREF32 kWhite = 0xFFFFFF;
// Relative luminance above which black reads better than white on a colour.
constexpr double kDarkTextLuminance = 0.35;
constexpr int kTickLength = 4;

COLORREF32 FromRgb(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

int Channel(COLORREF32 colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// Rec. 709 weights on the channels as stored, good enough to choose between
// black and white.
double Luminance(COLORREF32 colour) {
    return (0.2126 * Channel(colour, 0) + 0.7152 * Channel(colour, 8) +
            0.0722 * Channel(colour, 16)) /
           255.0;
}

// A contour line in the colour that contrasts with the cells it runs over.
COLORREF32 ContourColour(double level) {
    return Luminance(ViridisColour(level)) > kDarkTextLuminance ? kBlack : kWhite;
}

double RowOf(const DiagramLayout& layout, double tolerance) {
    const PlotRect& rc = layout.rcPlot;
    const DiagramAxis& y = layout.leftAxis;
    return rc.bottom + (tolerance - y.Lower()) / y.dSpan * (rc.top - rc.bottom);
}

// The contour P(a, t) = level is a(t) = sqrt of the quantile of |A| at t:
// P rises with a, so each time span has one tolerance on the contour. The
// line runs every two pixels where it lies inside the tolerance axis.
void DrawContour(CDiagramDC& dc, const DiagramLayout& layout, const ModelParameters& model,
                 double period, double level) {
    const PlotRect& rc = layout.rcPlot;
    const COLORREF32 colour = ContourColour(level);
    bool started = false;
    PointD pen;
    for (int column = rc.left; column <= rc.right; column += 2) {
        const double time =
            layout.xAxis.Lower() + (column - rc.left) * layout.xAxis.dSpan / (rc.right - rc.left);
        const double tolerance = std::sqrt(SqrAmplitudeQuantile(time / period, level, model));
        if (!std::isfinite(tolerance) || tolerance < layout.leftAxis.Lower() ||
            tolerance > layout.leftAxis.Upper()) {
            started = false;
            continue;
        }
        const PointD point{static_cast<double>(column), RowOf(layout, tolerance)};
        if (started)
            DrawSmoothLineTo(pen, &dc, point, colour, kContourWidth);
        pen = point;
        started = true;
    }
}

// Nice resolutions (1, 2 or 5 times a power of ten) that give about six
// ticks over the range.
double ResolutionStep(double range) {
    const double rough = range / 6.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough)
            return factor * power;
    return 10.0 * power;
}

void DrawResolutionTicks(CDiagramDC& dc, const CA1TimeSeries& series, const DiagramLayout& layout) {
    const double energy = series.m_dElEnergy;
    const double phase = series.m_dLimitPhase;
    const double reference = series.m_dTargetRes;
    const double unit = AstigmatismTolerance(energy, 1.0, phase);
    // The tolerance grows with the square of the resolution: a = unit * d^2.
    if (!(std::isfinite(unit) && unit > 0.0 && reference > 0.0))
        return;
    const double lowest = std::sqrt(layout.leftAxis.Lower() / unit);
    const double highest = std::sqrt(layout.leftAxis.Upper() / unit);
    const double step = ResolutionStep(highest - lowest);
    const int x = layout.rcPlot.right;
    for (double d = std::ceil(lowest / step) * step; d <= highest; d += step) {
        const int row = RoundTrunc(RowOf(layout, AstigmatismTolerance(energy, d, phase)));
        dc.MoveTo(x, row);
        dc.LineTo(x + kTickLength, row);
        const std::string label = FormatC("%g", std::round(d / step) * step);
        const QSize extent = dc.GetTextExtent(label);
        dc.TextOut(x + kTickLength + 2, row - extent.height() / 2, label);
    }
}

void DrawColourScale(CDiagramDC& dc, const DiagramLayout& layout) {
    const PlotRect& rc = layout.rcPlot;
    const int h = layout.nXTitleHeight;
    const int left = rc.right + 3 * h + 4;
    const int right = left + h;
    const int height = rc.bottom - rc.top;
    if (height <= 0)
        return;
    for (int row = rc.top; row < rc.bottom; ++row)
        dc.FillRect({left, row, right, row + 1},
                    ViridisColour(static_cast<double>(rc.bottom - 1 - row) / (height - 1)));
    dc.MoveTo(left, rc.top);
    for (const QPoint corner : {QPoint(right, rc.top), QPoint(right, rc.bottom),
                                QPoint(left, rc.bottom), QPoint(left, rc.top)})
        dc.LineTo(corner.x(), corner.y());
    for (const double level :
         {0.0, kLowerBandProbability, kMedianProbability, kUpperBandProbability, 1.0}) {
        const int row = RoundTrunc(rc.bottom - level * height);
        dc.MoveTo(right, row);
        dc.LineTo(right + kTickLength, row);
        const std::string label = FormatC("%.0f %%", 100.0 * level);
        const QSize extent = dc.GetTextExtent(label);
        dc.TextOut(right + kTickLength + 2, row - extent.height() / 2, label);
    }
}

} // namespace

COLORREF32 ViridisColour(double value) {
    const double position = std::clamp(std::isnan(value) ? 0.0 : value, 0.0, 1.0) * 8.0;
    const std::size_t below = std::min<std::size_t>(static_cast<std::size_t>(position), 7);
    const double share = position - static_cast<double>(below);
    const COLORREF32 from = FromRgb(kViridis[below]);
    const COLORREF32 to = FromRgb(kViridis[below + 1]);
    COLORREF32 colour = 0;
    for (const int shift : {0, 8, 16}) {
        const double channel =
            Channel(from, shift) + share * (Channel(to, shift) - Channel(from, shift));
        colour |= static_cast<COLORREF32>(std::lround(channel)) << shift;
    }
    return colour;
}

void PlanProbabilityMap(const CA1TimeSeries& series, DiagramLayout& layout) {
    const double end = kMapTimeReach * ProbabilityTableEnd(series);
    const double a = series.m_dTolerance;
    layout.xAxis = {end / 2.0, end, 1.0};
    layout.leftAxis = {(kMapToleranceLow + kMapToleranceHigh) * a / 2.0,
                       (kMapToleranceHigh - kMapToleranceLow) * a, 1.0};
}

void DrawProbabilityMap(CDiagramDC& dc, const CA1TimeSeries& series, const DiagramLayout& layout) {
    const PlotRect& rc = layout.rcPlot;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0 || !layout.xAxis.CanMap() || !layout.leftAxis.CanMap() ||
        !(series.m_dPeriod > 0.0))
        return;
    const ModelParameters model = series.GetModelParameters();
    const int columns = std::min(width, kMaxCells);
    const int rows = std::min(height, kMaxCells);
    const PROBABILITYMAP map = EvaluateProbabilityMap(
        series.m_dTolerance, layout.xAxis.Upper() / series.m_dPeriod, model, rows, columns);
    if (map.values.empty())
        return;
    // Cell edges on whole pixels, so that neighbouring cells neither overlap
    // nor leave gaps.
    for (int row = 0; row < rows; ++row) {
        const int bottom = rc.bottom - row * height / rows;
        const int top = rc.bottom - (row + 1) * height / rows;
        for (int column = 0; column < columns; ++column)
            dc.FillRect({rc.left + column * width / columns, top,
                         rc.left + (column + 1) * width / columns, bottom},
                        ViridisColour(map.At(static_cast<std::size_t>(row),
                                             static_cast<std::size_t>(column))));
    }
    for (const double level : kContourLevels)
        DrawContour(dc, layout, model, series.m_dPeriod, level);
    // On a whole pixel row, so that the white centre stays pure white.
    const double row = RoundTrunc(RowOf(layout, series.m_dTolerance));
    for (const auto& [colour, lineWidth] :
         {std::pair{kBlack, kMarkOuterWidth}, std::pair{kWhite, kMarkInnerWidth}}) {
        PointD pen{static_cast<double>(rc.left), row};
        DrawSmoothLineTo(pen, &dc, {static_cast<double>(rc.right), row}, colour, lineWidth);
    }
}

void DrawProbabilityMapScales(CDiagramDC& dc, const CA1TimeSeries& series,
                              const DiagramLayout& layout) {
    DrawResolutionTicks(dc, series, layout);
    DrawColourScale(dc, layout);
}
