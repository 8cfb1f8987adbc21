#include "diagram/OverlayDiagram.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/ProbabilityModel.h"
#include "evaluation/StabilityModel.h"
#include "infra/CNumber.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Distinct on white and for the common colour vision deficiencies (Okabe &
// Ito's palette); a ninth series takes the first colour again.
constexpr QRgb kSeriesColours[] = {0x0072B2, 0xD55E00, 0x009E73, 0xCC79A7,
                                   0xE69F00, 0x56B4E9, 0x000000, 0xF0E442};

// P(a,t) is drawn until it falls to this probability, as the single
// series' probability diagram does.
constexpr double kProbabilityEnd = 0.2;
// Points of a model curve across the plot.
constexpr int kCurvePoints = 200;
// Margins in pixels: room for the tick labels left and below, the title above.
constexpr int kLeft = 64;
constexpr int kRight = 12;
constexpr int kTop = 26;
constexpr int kBottom = 40;

QColor SeriesColour(std::size_t index) {
    return QColor::fromRgb(kSeriesColours[index % std::size(kSeriesColours)]);
}

// A tick step of 1, 2 or 5 times a power of ten that cuts the span into
// four to ten parts.
double TickStep(double span) {
    const double raw = span / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power)
            return factor * power;
    return 10.0 * power;
}

struct OVERLAYCURVE {
    std::size_t nColour;
    std::vector<QPointF> points; // in data units
    bool bMarkers;               // points only, no line
};

struct OVERLAYPLOT {
    std::string strTitle;
    std::string strXTitle;
    std::string strYTitle;
    double dXMax = 0.0;
    double dYMax = 0.0;
    std::vector<OVERLAYCURVE> curves;
    std::vector<std::pair<std::size_t, std::string>> legend;
    // The legend's corner: where the curves are not. f(t) rises to the
    // upper right, P(a,t) falls from the upper left.
    bool bLegendRight = false;
};

QImage DrawPlot(const OVERLAYPLOT& plot, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    const QRectF area(kLeft, kTop, size.width() - kLeft - kRight, size.height() - kTop - kBottom);
    const auto map = [&](QPointF value) {
        return QPointF(area.left() + value.x() / plot.dXMax * area.width(),
                       area.bottom() - value.y() / plot.dYMax * area.height());
    };
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, 4, size.width(), kTop - 4), Qt::AlignHCenter | Qt::AlignTop,
                     QString::fromStdString(plot.strTitle));
    painter.drawRect(area);
    const double xStep = TickStep(plot.dXMax);
    for (double x = 0.0; x <= plot.dXMax * (1.0 + 1e-9); x += xStep) {
        const QPointF at = map({x, 0.0});
        painter.drawLine(at, at + QPointF(0, 4));
        painter.drawText(QRectF(at.x() - 40, at.y() + 5, 80, 14), Qt::AlignHCenter,
                         QString::fromStdString(FormatC("%g", x)));
    }
    const double yStep = TickStep(plot.dYMax);
    for (double y = 0.0; y <= plot.dYMax * (1.0 + 1e-9); y += yStep) {
        const QPointF at = map({0.0, y});
        painter.drawLine(at, at - QPointF(4, 0));
        painter.drawText(QRectF(0, at.y() - 7, kLeft - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
                         QString::fromStdString(FormatC("%g", y)));
    }
    painter.drawText(QRectF(area.left(), size.height() - 18, area.width(), 16), Qt::AlignHCenter,
                     QString::fromStdString(plot.strXTitle));
    painter.save();
    painter.translate(12, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-area.height() / 2, -10, area.height(), 16), Qt::AlignHCenter,
                     QString::fromStdString(plot.strYTitle));
    painter.restore();

    painter.setClipRect(area);
    for (const OVERLAYCURVE& curve : plot.curves) {
        const QColor colour = SeriesColour(curve.nColour);
        if (curve.bMarkers) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            for (const QPointF& point : curve.points)
                painter.drawEllipse(map(point), 2.0, 2.0);
            continue;
        }
        QPainterPath path;
        for (std::size_t i = 0; i < curve.points.size(); ++i)
            i == 0 ? path.moveTo(map(curve.points[i])) : path.lineTo(map(curve.points[i]));
        painter.setPen(QPen(colour, 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
    painter.setClipping(false);
    // The legend in the plot's upper left corner, on white.
    const QFontMetrics metrics(font);
    int width = 0;
    for (const auto& [colour, label] : plot.legend)
        width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(label)));
    const double rows = static_cast<double>(plot.legend.size());
    const double boxWidth = width + 34;
    const QRectF box(plot.bLegendRight ? area.right() - 6 - boxWidth : area.left() + 6,
                     area.top() + 6, boxWidth, 16.0 * rows + 6);
    painter.setPen(Qt::gray);
    painter.setBrush(Qt::white);
    if (!plot.legend.empty())
        painter.drawRect(box);
    for (std::size_t i = 0; i < plot.legend.size(); ++i) {
        const double y = box.top() + 11 + 16.0 * static_cast<double>(i);
        painter.setPen(QPen(SeriesColour(plot.legend[i].first), 3.0));
        painter.drawLine(QPointF(box.left() + 5, y), QPointF(box.left() + 23, y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(box.left() + 28, y - 8, width + 4, 16), Qt::AlignVCenter,
                         QString::fromStdString(plot.legend[i].second));
    }
    return image;
}

std::vector<QPointF> ModelCurve(double tMax, const std::function<double(double)>& value) {
    std::vector<QPointF> points;
    for (int i = 0; i <= kCurvePoints; ++i) {
        const double t = tMax * i / kCurvePoints;
        points.emplace_back(t, value(t));
    }
    return points;
}

OVERLAYPLOT CharFunctionPlot(const std::vector<COMPAREDSERIES>& series) {
    OVERLAYPLOT plot;
    plot.strTitle = "Characteristic functions f(t)";
    plot.strXTitle = "Timespan t [s]";
    plot.strYTitle = "f(t) [nm\u00B2]";
    for (std::size_t i = 0; i < series.size(); ++i) {
        const CA1TimeSeries& s = *series[i].pSeries;
        if (!s.HasCharFunction() || !s.HasTimeBase())
            continue;
        OVERLAYCURVE markers{i, {}, true};
        for (const A1SAMPLE& point : s.m_CFuncData) {
            markers.points.emplace_back(point.nImage * s.m_dPeriod, point.dX + point.dY);
            plot.dXMax = std::max(plot.dXMax, markers.points.back().x());
            plot.dYMax = std::max(plot.dYMax, markers.points.back().y());
        }
        plot.curves.push_back(std::move(markers));
        plot.legend.emplace_back(i, FormatC("%zu: ", i + 1) + series[i].strLabel);
    }
    for (std::size_t i = 0; i < series.size(); ++i) {
        const CA1TimeSeries& s = *series[i].pSeries;
        if (!s.HasModel() || !s.HasTimeBase() || plot.dXMax <= 0.0)
            continue;
        const ModelParameters model = s.GetModelParameters();
        plot.curves.push_back(
            {i,
             ModelCurve(plot.dXMax,
                        [&](double t) { return ModelFunction(model, t / s.m_dPeriod); }),
             false});
    }
    return plot;
}

OVERLAYPLOT ProbabilityPlot(const std::vector<COMPAREDSERIES>& series) {
    OVERLAYPLOT plot;
    plot.strTitle = "Probability of staying within the tolerance P(a,t)";
    plot.strXTitle = "Timespan t [s]";
    plot.strYTitle = "P(a,t)";
    plot.dYMax = 1.0;
    plot.bLegendRight = true;
    for (std::size_t i = 0; i < series.size(); ++i) {
        const CA1TimeSeries& s = *series[i].pSeries;
        if (!s.HasModel() || !s.HasTimeBase())
            continue;
        const double steps = ProbabilityLifetime(s.m_dTolerance * s.m_dTolerance, kProbabilityEnd,
                                                 s.GetModelParameters());
        // A probability that never falls that far ends with the extracted span.
        const double end = steps >= VLARGE || !std::isfinite(steps)
                               ? s.m_CFuncData.back().nImage * s.m_dPeriod
                               : steps * s.m_dPeriod;
        plot.dXMax = std::max(plot.dXMax, end);
        plot.legend.emplace_back(i, FormatC("%zu: ", i + 1) + series[i].strLabel +
                                        FormatC(" (a = %.3f nm)", s.m_dTolerance));
    }
    for (const auto& [i, label] : plot.legend) {
        const CA1TimeSeries& s = *series[i].pSeries;
        const ModelParameters model = s.GetModelParameters();
        const double a2 = s.m_dTolerance * s.m_dTolerance;
        plot.curves.push_back(
            {i,
             ModelCurve(plot.dXMax,
                        [&](double t) { return StabilityProbability(a2, t / s.m_dPeriod, model); }),
             false});
    }
    return plot;
}

} // namespace

std::vector<OverlayImage> RenderOverlayDiagrams(const std::vector<COMPAREDSERIES>& series,
                                                QSize size) {
    std::vector<OverlayImage> images;
    if (size.width() <= kLeft + kRight || size.height() <= kTop + kBottom)
        return images;
    const std::pair<OVERLAYPLOT, const char*> plots[] = {
        {CharFunctionPlot(series), "-cfunc.png"},
        {ProbabilityPlot(series), "-prob.png"},
    };
    for (const auto& [plot, suffix] : plots)
        if (!plot.legend.empty() && plot.dXMax > 0.0 && plot.dYMax > 0.0)
            images.push_back({plot.strTitle, suffix, DrawPlot(plot, size)});
    return images;
}
