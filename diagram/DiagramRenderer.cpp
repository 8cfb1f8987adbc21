#include "diagram/DiagramRenderer.h"

#include "data/CA1TimeSeries.h"
#include "diagram/PlotPrimitives.h"
#include "diagram/ProbabilityMapDrawing.h"
#include "evaluation/ProbabilityModel.h"
#include "evaluation/StabilityModel.h"
#include "report/ExportCurves.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// Every axis reaches 5 % beyond the data (2.5 % on each side).
constexpr double kRangeMargin = 1.05;
// The fitted-model diagram shows a little more time than the model lifetime,
// so that the guide line's corner does not sit on the right edge.
constexpr double kModelLifetimeMargin = 1.15;
// The probability plot shows time until P has fallen to 20 %; its guide line
// marks the median.
constexpr double kProbabilityPlotEnd = 0.2;
constexpr COLORREF32 kBandColour = 0xDC6E50;
constexpr COLORREF32 kTextColour = 0x000000;
// The whole-interval curve of the probability plot: orange beside the blue
// P(a, t), a pair that colour-blind readers tell apart (Okabe and Ito).
constexpr COLORREF32 kInsideColour = 0x009FE6;
// The legend's line samples, in title heights.
constexpr int kLegendSampleLength = 2;
// The lines and crosses of the A22 diagrams.
constexpr double kSampleLineWidth = 1.0;
constexpr std::int32_t kSampleMarkerSize = 5;
constexpr double kModelLineWidth = 2.0;
constexpr double kBandLineWidth = 1.0;

enum class UnitTable { None, Time, Length, Sqr };

// How the diagram types differ where they are alike. The extremes of the data
// and the curves are per type (FindRanges, DrawCurves).
struct DiagramKind {
    std::int32_t nType;
    bool bNeedsCFunc;
    bool bNeedsModel;
    const char* szXTitle;
    UnitTable xUnit;
    const char* szLeftTitle;
    UnitTable leftUnit;
    const char* szRightTitle; // empty: no right axis
    UnitTable rightUnit;      // None: the right title stands as it is
    bool bColouredTitles;     // vertical titles in the colours of their curves
    bool bSquare;             // one scale in both directions
};

constexpr DiagramKind kKinds[] = {
    {A22Time, false, false, "Time [", UnitTable::Time, "A22-x [", UnitTable::Length, "A22-y [",
     UnitTable::Length, true, false},
    {A22Plane, false, false, "A22-x [", UnitTable::Length, "A22-y [", UnitTable::Length, "",
     UnitTable::None, false, true},
    {CharFunction, true, false, "Timespan t [", UnitTable::Time, "f(t) [", UnitTable::Sqr, "",
     UnitTable::None, false, false},
    {FittedModel, true, true, "Timespan t [", UnitTable::Time, "f(t) [", UnitTable::Sqr, "",
     UnitTable::None, false, false},
    {ProbabilityPlot, true, true, "Timespan t [", UnitTable::Time, "P(a,t)", UnitTable::None, "",
     UnitTable::None, false, false},
    {ProbabilityMap, true, true, "Timespan t [", UnitTable::Time, "Tolerance a [",
     UnitTable::Length, "Target resolution [\u00C5]", UnitTable::None, false, false},
};
// Any other type draws background, frame and empty axes.
constexpr DiagramKind kOtherKind = {
    0, false, false, "", UnitTable::None, "", UnitTable::None, "", UnitTable::None, false, false};

const DiagramKind& FindKind(std::int32_t type) {
    for (const DiagramKind& kind : kKinds)
        if (kind.nType == type)
            return kind;
    return kOtherKind;
}

// Time per image step, or nothing when times cannot be turned into steps.
std::optional<double> StepTime(const CA1TimeSeries& series) {
    if (series.m_dPeriod > 0.0 && std::isfinite(series.m_dPeriod))
        return series.m_dPeriod;
    return std::nullopt;
}

struct Extremes {
    double dMin = 0.0;
    double dMax = 0.0;
    void Include(double value) {
        dMin = std::min(dMin, value);
        dMax = std::max(dMax, value);
    }
};

// The span of an axis whose values are all the same (a series of constant
// zeros, a single sample): one display unit, so that the values sit on the
// middle line instead of vanishing with an axis that maps nothing.
constexpr double kConstantValueSpan = 1.0;

// span = 1.05 (M - m) about the middle; an axis from zero starts at 0 and
// ends 2.5 % above the largest value.
DiagramAxis AxisOf(const Extremes& extremes, bool fromZero) {
    double span = kRangeMargin * (extremes.dMax - extremes.dMin);
    if (span == 0.0 && std::isfinite(extremes.dMax))
        return fromZero ? DiagramAxis{kConstantValueSpan / 2.0, kConstantValueSpan, 1.0}
                        : DiagramAxis{extremes.dMax, kConstantValueSpan, 1.0};
    const double centre = (extremes.dMax + extremes.dMin) / 2.0;
    if (!fromZero)
        return {centre, span, 1.0};
    const double upper = centre + span / 2.0;
    return {upper / 2.0, upper, 1.0};
}

// The axes from the data; the guide line's point where the type has one.
void FindRanges(const CA1TimeSeries& series, std::int32_t type, DiagramLayout& layout) {
    const double t0 = series.m_dPeriod;
    const ModelParameters model = series.GetModelParameters();
    const double sqrTolerance = series.m_dTolerance * series.m_dTolerance;
    switch (type) {
    case A22Time:
    case A22Plane: {
        const A1SAMPLE& first = series.m_Samples.front();
        Extremes time{first.nImage * t0, first.nImage * t0};
        Extremes x{first.dX, first.dX};
        Extremes y{first.dY, first.dY};
        for (const A1SAMPLE& sample : series.m_Samples) {
            time.Include(sample.nImage * t0);
            x.Include(sample.dX);
            y.Include(sample.dY);
        }
        const DiagramAxis xAxis = AxisOf(x, false);
        const DiagramAxis yAxis = AxisOf(y, false);
        // One span for both components, so that equal changes look equal.
        const double commonSpan = std::max(xAxis.dSpan, yAxis.dSpan);
        if (type == A22Time) {
            layout.xAxis = AxisOf(time, false);
            layout.leftAxis = {xAxis.dCentre, commonSpan, 1.0};
            layout.rightAxis = {yAxis.dCentre, commonSpan, 1.0};
        } else {
            layout.xAxis = {xAxis.dCentre, commonSpan, 1.0};
            layout.leftAxis = {yAxis.dCentre, commonSpan, 1.0};
        }
        return;
    }
    case CharFunction:
    case FittedModel: {
        double tMin = 0.0, tMax = 0.0, fMin = 0.0, fMax = 0.0;
        series.GetCFuncRange(tMin, tMax, fMin, fMax);
        if (type == FittedModel) {
            tMax = std::max(tMax, kModelLifetimeMargin * ModelCurveLifetime(series));
            if (const auto step = StepTime(series))
                fMax = std::max(fMax, ModelFunction(model, tMax / *step));
        }
        layout.xAxis = AxisOf({0.0, tMax}, true);
        layout.leftAxis = AxisOf({0.0, fMax}, true);
        if (type == CharFunction && series.m_nLifetimeState == 1) {
            layout.bGuide = true;
            layout.dGuideTime = series.m_dLifetime;
            layout.dGuideLevel = sqrTolerance;
        } else if (type == FittedModel) {
            // an unbounded lifetime has no place on the time axis
            layout.bGuide = !IsUnboundedTime(series.m_dModelLifetime, series.m_dPeriod);
            layout.dGuideTime = series.m_dModelLifetime;
            layout.dGuideLevel = sqrTolerance;
        }
        return;
    }
    case ProbabilityPlot: {
        // P(a, t) that never falls to 20 % would stretch the axis to VLARGE:
        // it then ends where the probability table ends
        const double end = ProbabilityLifetime(sqrTolerance, kProbabilityPlotEnd, model);
        layout.xAxis = AxisOf({0.0, end >= VLARGE ? ProbabilityTableEnd(series) : t0 * end}, true);
        layout.leftAxis = AxisOf({0.0, 1.0}, true);
        layout.bGuide = true;
        layout.dGuideTime = t0 * ProbabilityLifetime(sqrTolerance, kMedianProbability, model);
        layout.dGuideLevel = kMedianProbability;
        return;
    }
    case ProbabilityMap:
        PlanProbabilityMap(series, layout);
        return;
    default:
        return;
    }
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The display unit for a span, its label trimmed in the series' table.
const UNIT* DisplayUnit(CA1TimeSeries& series, UnitTable table, double span) {
    std::vector<UNIT>* units = nullptr;
    int index = 0;
    switch (table) {
    case UnitTable::None:
        return nullptr;
    case UnitTable::Time:
        units = &series.m_TimeUnits;
        index = series.FindTimeUnit(span);
        break;
    case UnitTable::Length:
        units = &series.m_LenUnits;
        index = series.FindLengthUnit(span);
        break;
    case UnitTable::Sqr:
        units = &series.m_SqrUnits;
        index = series.FindSqrUnit(span);
        break;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= units->size())
        return nullptr;
    UNIT& unit = (*units)[index];
    unit.strName = Trim(unit.strName);
    return &unit;
}

// "Time [" + "s" + "]"; a title without a unit table stays as it is.
std::string Title(const char* text, const UNIT* unit) {
    return unit ? std::string(text) + unit->strName + "]" : std::string(text);
}

void ApplyTitles(CA1TimeSeries& series, const DiagramKind& kind, bool bImageSteps,
                 DiagramLayout& layout) {
    // Without a time base the time axis counts image steps, which have no
    // unit table.
    const bool bStepAxis = bImageSteps && kind.xUnit == UnitTable::Time;
    const UNIT* xUnit = bStepAxis ? nullptr : DisplayUnit(series, kind.xUnit, layout.xAxis.dSpan);
    const UNIT* yUnit = DisplayUnit(series, kind.leftUnit, layout.leftAxis.dSpan);
    layout.strXTitle = Title(kind.szXTitle, xUnit);
    if (bStepAxis)
        layout.strXTitle = kind.nType == A22Time ? "Time [images]" : "Timespan [images]";
    layout.strLeftTitle = Title(kind.szLeftTitle, yUnit);
    layout.xAxis.dFactor = xUnit ? xUnit->dFactor : 1.0;
    layout.leftAxis.dFactor = yUnit ? yUnit->dFactor : 1.0;
    if (layout.bRightAxis) {
        layout.strRightTitle =
            Title(kind.szRightTitle, kind.rightUnit == UnitTable::None ? nullptr : yUnit);
        layout.rightAxis.dFactor = layout.leftAxis.dFactor;
    }
}

// Room for the titles and tick labels: three title heights on the left (and
// on the right for a right axis), two and a bit below.
void NarrowPlot(const DiagramKind& kind, DiagramLayout& layout) {
    PlotRect& rc = layout.rcPlot;
    const int h = layout.nXTitleHeight;
    rc.left += 3 * h;
    rc.bottom -= 2 * h + 4;
    if (layout.bRightAxis)
        rc.right -= 3 * h;
    // The map's colour scale and its percentages beside the right axis.
    if (kind.nType == ProbabilityMap)
        rc.right -= 5 * h;
    if (kind.bSquare) {
        const int excess = (rc.right - rc.left) - (rc.bottom - rc.top);
        rc.left += excess / 2;
        rc.right -= excess - excess / 2;
    }
}

// A curve of data points and how to draw it.
struct CurveSpec {
    COLORREF32 crLine = 0;
    COLORREF32 crMarker = 0;
    DiagramAxis x;
    DiagramAxis y;
    double dLineWidth = 0.0;      // 0: no line
    std::int32_t nMarkerSize = 0; // 0: no markers
    std::int32_t nMarkerShape = MarkerPixel;
};

PointD MapPoint(const PlotRect& rc, const DiagramAxis& x, const DiagramAxis& y, PointD value) {
    return {rc.left + (value.x - x.Lower()) / x.dSpan * (rc.right - rc.left),
            rc.bottom + (value.y - y.Lower()) / y.dSpan * (rc.top - rc.bottom)};
}

void DrawCurve(CDiagramDC& dc, const PlotRect& rc, const CurveSpec& curve,
               const std::vector<PointD>& values) {
    // An axis without extent (one sample, constant values) maps nothing.
    if (!curve.x.CanMap() || !curve.y.CanMap())
        return;
    std::vector<PointD> points;
    points.reserve(values.size());
    for (const PointD& value : values)
        points.push_back(MapPoint(rc, curve.x, curve.y, value));
    if (curve.dLineWidth != 0.0 && points.size() >= 2) {
        PointD pen = points.front();
        for (std::size_t i = 1; i < points.size(); ++i)
            DrawSmoothLineTo(pen, &dc, points[i], curve.crLine, curve.dLineWidth);
    }
    // Markers after the whole line, so that they lie on top of it.
    if (curve.nMarkerSize != 0)
        for (const PointD& point : points)
            DrawMarker(dc, point.x, point.y, curve.nMarkerShape, curve.nMarkerSize, curve.crMarker);
}

// A function of time sampled every two pixels from t = 0, up to the end of
// the time axis or, when `clipAtTop`, up to the first value above the value
// axis. A value that is not a number ends the curve too.
std::vector<PointD> SampleCurve(const DiagramLayout& layout, bool clipAtTop,
                                const std::function<double(double)>& value) {
    std::vector<PointD> points;
    const int width = layout.rcPlot.right - layout.rcPlot.left;
    if (width <= 0 || !layout.xAxis.CanMap())
        return points;
    const double delta = 2.0 * layout.xAxis.dSpan / width;
    // Two pixels per point cover the axis in W / 2 points; the bound only
    // guards against rounding.
    const int maxPoints = width + 10;
    for (int l = 0; l < maxPoints; ++l) {
        const double t = l * delta;
        if (t > layout.xAxis.Upper())
            break;
        const double v = value(t);
        if (!std::isfinite(v) || (clipAtTop && v > layout.leftAxis.Upper()))
            break;
        points.push_back({t, v});
    }
    return points;
}

// From the left axis at `level` across to `time` and down to the time axis.
void DrawGuideLineAt(CDiagramDC& dc, const DiagramLayout& layout, double time, double level,
                     COLORREF32 colour) {
    const DiagramAxis& x = layout.xAxis;
    const DiagramAxis& y = layout.leftAxis;
    if (!x.CanMap() || !y.CanMap() || !std::isfinite(time) || !std::isfinite(level))
        return;
    // A lifetime beyond the time axis (a probability that never falls to
    // the level) has no corner inside the frame to mark.
    if (layout.dGuideTime < x.Lower() || layout.dGuideTime > x.Upper() ||
        layout.dGuideLevel < y.Lower() || layout.dGuideLevel > y.Upper())
        return;
    const PlotRect& rc = layout.rcPlot;
    const int row = rc.bottom - RoundTrunc((level - y.Lower()) / y.dSpan * (rc.bottom - rc.top));
    const int column = rc.left + RoundTrunc((time - x.Lower()) / x.dSpan * (rc.right - rc.left));
    const COLORREF32 previousPen = dc.SelectPen(colour);
    dc.MoveTo(rc.left, row);
    dc.LineTo(column, row);
    dc.LineTo(column, rc.bottom);
    dc.SelectPen(previousPen);
}

void DrawGuideLine(CDiagramDC& dc, const DiagramLayout& layout, COLORREF32 colour) {
    if (layout.bGuide)
        DrawGuideLineAt(dc, layout, layout.dGuideTime, layout.dGuideLevel, colour);
}

std::vector<PointD> CFuncPoints(const CA1TimeSeries& series, std::size_t every) {
    std::vector<PointD> points;
    for (std::size_t i = 0; i < series.m_CFuncData.size(); i += every) {
        const A1SAMPLE& point = series.m_CFuncData[i];
        points.push_back({point.nImage * series.m_dPeriod, point.dX + point.dY});
    }
    return points;
}

void DrawCurves(CDiagramDC& dc, const CA1TimeSeries& series, const DiagramStyle& style,
                const DiagramLayout& layout) {
    const PlotRect& rc = layout.rcPlot;
    const ModelParameters model = series.GetModelParameters();
    const std::optional<double> step = StepTime(series);
    const double sqrTolerance = series.m_dTolerance * series.m_dTolerance;
    // The characteristic function is drawn without a line (width 0).
    const CurveSpec cfuncMarkers{
        style.m_crCFLine,      style.m_crCFMarker, layout.xAxis, layout.leftAxis, 0.0,
        style.m_nCFMarkerSize, MarkerDisc};
    // The model's curves are lines without markers.
    const CurveSpec modelLine{style.m_crYMarker, 0, layout.xAxis, layout.leftAxis,
                              kModelLineWidth,   0, MarkerPixel};
    DrawGuideLine(dc, layout, style.m_crLimitLine);

    switch (style.m_nType) {
    case A22Time: {
        std::vector<PointD> xValues, yValues;
        for (const A1SAMPLE& sample : series.m_Samples) {
            xValues.push_back({sample.nImage * series.m_dPeriod, sample.dX});
            yValues.push_back({sample.nImage * series.m_dPeriod, sample.dY});
        }
        DrawCurve(dc, rc,
                  {style.m_crXLine, style.m_crXMarker, layout.xAxis, layout.leftAxis,
                   kSampleLineWidth, kSampleMarkerSize, MarkerCross},
                  xValues);
        DrawCurve(dc, rc,
                  {style.m_crYLine, style.m_crYMarker, layout.xAxis, layout.rightAxis,
                   kSampleLineWidth, kSampleMarkerSize, MarkerCross},
                  yValues);
        return;
    }
    case A22Plane: {
        std::vector<PointD> values;
        for (const A1SAMPLE& sample : series.m_Samples)
            values.push_back({sample.dX, sample.dY});
        DrawCurve(dc, rc,
                  {style.m_crPlaneLine, style.m_crPlaneMarker, layout.xAxis, layout.leftAxis,
                   kSampleLineWidth, kSampleMarkerSize, MarkerCross},
                  values);
        return;
    }
    case CharFunction:
        DrawCurve(dc, rc, cfuncMarkers, CFuncPoints(series, 1));
        return;
    case FittedModel: {
        if (step) {
            const double t0 = *step;
            const CurveSpec band{kBandColour,    0, layout.xAxis, layout.leftAxis,
                                 kBandLineWidth, 0, MarkerPixel};
            for (const double p : {kLowerBandProbability, kUpperBandProbability})
                DrawCurve(dc, rc, band, SampleCurve(layout, true, [&](double t) {
                              return SqrAmplitudeQuantile(t / t0, p, model);
                          }));
            DrawCurve(dc, rc, modelLine, SampleCurve(layout, true, [&](double t) {
                          return ModelFunction(model, t / t0);
                      }));
        }
        // Markers about two marker sizes apart: every q-th record, as the
        // records lie one image step apart.
        const int width = rc.right - rc.left;
        double every = 1.0;
        if (step && width > 0)
            every = std::trunc(layout.xAxis.dSpan / width * 2.0 * style.m_nCFMarkerSize / *step);
        const double records = static_cast<double>(series.m_CFuncData.size());
        const std::size_t q = static_cast<std::size_t>(
            std::isfinite(every) ? std::clamp(every, 1.0, std::max(records, 1.0)) : 1.0);
        DrawCurve(dc, rc, cfuncMarkers, CFuncPoints(series, q));
        return;
    }
    case ProbabilityPlot:
        if (step) {
            const double t0 = *step;
            DrawCurve(dc, rc, modelLine, SampleCurve(layout, false, [&](double t) {
                          return StabilityProbability(sqrTolerance, t / t0, model);
                      }));
            // The whole-interval curve, where the model allows one, with
            // its own median guide.
            const WHOLEINTERVALCURVE inside = SeriesWholeIntervalCurve(series);
            if (inside.bValid) {
                DrawGuideLineAt(dc, layout, t0 * inside.Lifetime(kMedianProbability),
                                kMedianProbability, kInsideColour);
                DrawCurve(dc, rc,
                          {kInsideColour, 0, layout.xAxis, layout.leftAxis, kModelLineWidth, 0,
                           MarkerPixel},
                          SampleCurve(layout, false, [&](double t) { return inside.At(t / t0); }));
            }
        }
        return;
    case ProbabilityMap:
        DrawProbabilityMap(dc, series, layout);
        return;
    default:
        return;
    }
}

// The border of the plot rectangle and a second one a pixel outside it.
void DrawFrame(CDiagramDC& dc, const PlotRect& rc) {
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    dc.MoveTo(l, b);
    const QPoint corners[] = {{r, b},         {r, t},         {l, t},         {l, b + 1},
                              {r + 1, b + 1}, {r + 1, t - 1}, {l - 1, t - 1}, {l - 1, b + 2}};
    for (const QPoint& corner : corners)
        dc.LineTo(corner.x(), corner.y());
}

// Top right inside the plot, where both curves are near 0 or have not yet
// fallen: a line sample and the name of each curve. Only with the second
// curve, as one curve needs no legend.
void DrawProbabilityLegend(CDiagramDC& dc, const CA1TimeSeries& series, const DiagramStyle& style,
                           const DiagramLayout& layout) {
    if (!SeriesWholeIntervalCurve(series).bValid)
        return;
    const PlotRect& rc = layout.rcPlot;
    const int h = layout.nXTitleHeight;
    const struct {
        COLORREF32 colour;
        const char* pszName;
    } entries[] = {{style.m_crYMarker, "P(a,t)"}, {kInsideColour, "stays inside"}};
    int widest = 0;
    for (const auto& entry : entries)
        widest = std::max(widest, dc.GetTextExtent(entry.pszName).width());
    const int left = rc.right - widest - (kLegendSampleLength + 1) * h;
    int top = rc.top + h / 2;
    for (const auto& entry : entries) {
        PointD pen{static_cast<double>(left), top + h / 2.0};
        DrawSmoothLineTo(pen, &dc, {static_cast<double>(left + kLegendSampleLength * h), pen.y},
                         entry.colour, kModelLineWidth);
        dc.TextOut(left + kLegendSampleLength * h + h / 3, top, entry.pszName);
        top += h;
    }
}

void DrawTitlesAndTicks(CDiagramDC& dc, const CA1TimeSeries& series, const DiagramStyle& style,
                        const DiagramFonts& fonts, const DiagramLayout& layout) {
    const PlotRect& rc = layout.rcPlot;
    const auto displayed = [](const DiagramAxis& axis, double value) {
        return value / axis.dFactor;
    };
    dc.SelectFont(&fonts.horizontal);
    dc.SetTextColor(kTextColour);
    dc.TextOut(RoundTrunc((rc.left + rc.right - layout.nXTitleWidth) / 2.0),
               rc.bottom + layout.nXTitleHeight + 4, layout.strXTitle);
    DrawXAxisTicks(dc, {rc.left, rc.bottom}, rc.right, displayed(layout.xAxis, layout.xAxis.dSpan),
                   displayed(layout.xAxis, layout.xAxis.dCentre));
    DrawLeftAxisTicks(dc, {rc.left, rc.bottom}, {rc.left, rc.top},
                      displayed(layout.leftAxis, layout.leftAxis.dSpan),
                      displayed(layout.leftAxis, layout.leftAxis.dCentre));
    if (style.m_nType == ProbabilityMap)
        DrawProbabilityMapScales(dc, series, layout);
    else if (layout.bRightAxis)
        DrawRightAxisTicks(dc, {rc.right, rc.bottom}, {rc.right, rc.top},
                           displayed(layout.rightAxis, layout.rightAxis.dSpan),
                           displayed(layout.rightAxis, layout.rightAxis.dCentre));
    if (style.m_nType == ProbabilityPlot)
        DrawProbabilityLegend(dc, series, style, layout);

    // The vertical titles read upwards, centred on the plot's height, in the
    // colour of their curve where two curves share the plot.
    dc.SelectFont(&fonts.upwards);
    const QSize left = dc.GetTextExtent(layout.strLeftTitle);
    const bool bColoured = FindKind(style.m_nType).bColouredTitles;
    if (bColoured)
        dc.SetTextColor(style.m_crXMarker);
    dc.TextOut(rc.left - 2 * left.height() - 9,
               RoundTrunc((rc.bottom + rc.top + left.width()) / 2.0), layout.strLeftTitle);
    if (!layout.strRightTitle.empty()) {
        const QSize right = dc.GetTextExtent(layout.strRightTitle);
        dc.SetTextColor(bColoured ? style.m_crYMarker : kTextColour);
        dc.TextOut(rc.right + right.height() + 9,
                   RoundTrunc((rc.bottom + rc.top + right.width()) / 2.0), layout.strRightTitle);
    }
    dc.SetTextColor(kTextColour);
}

} // namespace

bool DiagramAxis::CanMap() const {
    return dSpan > 0.0 && std::isfinite(dSpan) && std::isfinite(dCentre);
}

std::optional<DiagramFonts> CreateDiagramFonts(const DiagramStyle& style) {
    auto horizontal = CDiagramFont::Create(style.m_strFontFace, style.m_nFontHeight,
                                           CDiagramFont::Direction::Horizontal);
    auto upwards = CDiagramFont::Create(style.m_strFontFace, style.m_nFontHeight,
                                        CDiagramFont::Direction::Upwards);
    if (!horizontal || !upwards)
        return std::nullopt;
    return DiagramFonts{*horizontal, *upwards};
}

DiagramLayout PlanDiagram(CA1TimeSeries& series, const DiagramStyle& style,
                          const DiagramFonts* fonts, bool bImageSteps) {
    const DiagramKind& kind = FindKind(style.m_nType);
    DiagramLayout layout;
    layout.rcPlot = style.m_rcPlot;
    if (series.m_Samples.empty() || (kind.bNeedsCFunc && !series.HasCharFunction()) ||
        (kind.bNeedsModel && !series.HasModel()))
        return layout;
    layout.bHasData = true;
    layout.bRightAxis = kind.szRightTitle[0] != '\0';
    FindRanges(series, style.m_nType, layout);
    if (!fonts)
        return layout;
    layout.bHasTitles = true;
    ApplyTitles(series, kind, bImageSteps, layout);
    const QSize extent = fonts->horizontal.TextExtent(layout.strXTitle);
    layout.nXTitleWidth = extent.width();
    layout.nXTitleHeight = extent.height();
    NarrowPlot(kind, layout);
    return layout;
}

CA1TimeSeries ImageStepView(const CA1TimeSeries& series) {
    CA1TimeSeries view;
    view.m_Samples = series.m_Samples;
    view.m_CFuncData = series.m_CFuncData;
    view.m_nCFuncState = series.m_nCFuncState;
    view.m_nModelState = series.m_nModelState;
    view.SetModelParameters(series.GetModelParameters());
    view.m_dTolerance = series.m_dTolerance;
    view.m_dPeriod = 1.0;
    // The lifetimes were stored in seconds, which this recording does not
    // know: no guide line for them, and the fitted model spans the
    // characteristic function's range as for an unbounded lifetime.
    view.m_nLifetimeState = 0;
    view.m_dModelLifetime = VLARGE;
    view.m_nModelLifetimeState = kModelLifetimeUnbounded;
    return view;
}

bool CA1TimeSeries::DrawDiagram(CDiagramDC& dc, const DiagramStyle& style) {
    if (!HasTimeBase()) {
        CA1TimeSeries view = ImageStepView(*this);
        return DrawDiagramOf(view, dc, style, true);
    }
    return DrawDiagramOf(*this, dc, style, false);
}

bool DrawDiagramOf(CA1TimeSeries& series, CDiagramDC& dc, const DiagramStyle& style,
                   bool bImageSteps) {
    dc.FillRect({0, 0, style.m_nWidth, style.m_nHeight}, style.m_crBackground);
    const std::optional<DiagramFonts> fonts = CreateDiagramFonts(style);
    const DiagramLayout layout = PlanDiagram(series, style, fonts ? &*fonts : nullptr, bImageSteps);
    if (!layout.bHasData)
        return false;
    // Labels sit on boxes of the background colour.
    dc.SetBkColor(style.m_crBackground);
    const COLORREF32 previousPen = dc.SelectPen(style.m_crAxis);
    const CDiagramFont* previousFont = dc.SelectFont(nullptr);

    DrawCurves(dc, series, style, layout);
    dc.SelectPen(style.m_crAxis);
    DrawFrame(dc, layout.rcPlot);
    if (layout.bHasTitles)
        DrawTitlesAndTicks(dc, series, style, *fonts, layout);

    dc.SelectFont(previousFont);
    dc.SelectPen(previousPen);
    return true;
}
