#pragma once

#include "diagram/DiagramStyle.h"

#include <QImage>
#include <QPainter>

// The drawing context of a diagram bitmap: a 32-bit top-down image with a
// painter for text and one-pixel pen lines, and direct pixel access for the
// anti-aliased primitives.
class CDiagramDC {
public:
    explicit CDiagramDC(QImage& image) : m_image(image), m_painter(&image) {}

    QImage& Image() { return m_image; }
    QPainter& Painter() { return m_painter; }

    static QColor ToQColor(COLORREF32 colour)
    {
        return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }

private:
    QImage& m_image;
    QPainter m_painter;
};
