#pragma once

#include "data/CA1TimeSeries.h"
#include "diagram/DiagramStyle.h"
#include "support/QtTestApplication.h"

#include <QApplication>
#include <QImage>

#include <cstdint>
#include <vector>

inline QImage WhiteBitmap(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(255, 255, 255));
    return image;
}

// 0x00BBGGRR of a bitmap pixel.
inline std::uint32_t PixelAt(const QImage& image, int x, int y) {
    const QRgb rgb = image.pixel(x, y);
    return static_cast<std::uint32_t>(qRed(rgb)) | (static_cast<std::uint32_t>(qGreen(rgb)) << 8) |
           (static_cast<std::uint32_t>(qBlue(rgb)) << 16);
}

// A series whose samples are (image, x, y) triples.
struct SampleSpec {
    std::int32_t nImage;
    double dX;
    double dY;
};

inline CA1TimeSeries SeriesWithSamples(double period, const std::vector<SampleSpec>& samples) {
    CA1TimeSeries series;
    series.m_dPeriod = period;
    for (const SampleSpec& given : samples) {
        A1SAMPLE sample;
        sample.nImage = given.nImage;
        sample.dX = given.dX;
        sample.dY = given.dY;
        series.m_Samples.push_back(sample);
    }
    return series;
}

// A characteristic function f(k) = slope * k split evenly on x and y for
// k = 1 .. records, and a fitted model.
inline void AddCharFunctionAndModel(CA1TimeSeries& series, int records, double slope) {
    for (int k = 1; k <= records; ++k) {
        A1SAMPLE point;
        point.nImage = k;
        point.dX = point.dY = slope * k / 2.0;
        series.m_CFuncData.push_back(point);
    }
    series.m_nCFuncState = 1;
    series.m_nModelState = 1;
    series.m_dModelDi = 0.5;
    series.m_dModelDa = 0.3;
    series.m_dModelTc = 4.0;
    series.m_dModelS = 0.02;
    series.m_dTolerance = 2.0;
    series.m_dModelLifetime = 5.0 * series.m_dPeriod;
}

inline DiagramStyle StyleFor(std::int32_t type, int width, int height) {
    DiagramStyle style;
    style.m_nType = type;
    style.SetBitmapSize(width, height);
    return style;
}
