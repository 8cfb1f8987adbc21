#include "diagram/CDiagramDC.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// Lines whose end points lie further out than this are not walked pixel by
// pixel: a diagonal through such points would take millions of steps for the
// few pixels that the bitmap shows.
constexpr int kLineCoordinateLimit = 1 << 20;

int Channel(COLORREF32 colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

QRgb ToQRgb(COLORREF32 colour) {
    return qRgb(Channel(colour, 0), Channel(colour, 8), Channel(colour, 16));
}

} // namespace

std::optional<CDiagramFont> CDiagramFont::Create(const std::string& face, int cellHeight,
                                                 Direction direction) {
    // QFont needs the font database of a GUI application; a program without
    // one draws its diagrams without labels rather than failing.
    if (face.empty() || cellHeight == 0 ||
        !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return std::nullopt;

    CDiagramFont result;
    result.m_direction = direction;
    result.m_nCellHeight = cellHeight;
    result.m_font = QFont(QString::fromStdString(face));
    result.m_font.setWeight(QFont::Normal);
    result.m_font.setItalic(false);
    result.m_font.setUnderline(false);
    result.m_font.setStrikeOut(false);

    if (cellHeight < 0) {
        // A negative height asks for the height of the characters (the em
        // square) rather than of the cell; the cell is then as high as the
        // font makes it.
        result.m_font.setPixelSize(-cellHeight);
        const QFontMetrics metrics(result.m_font);
        if (metrics.height() <= 0)
            return std::nullopt;
        result.m_nCellHeight = metrics.height();
        result.m_nAscent = metrics.ascent();
        return result;
    }

    // The requested height is the height of the character cell (ascent plus
    // descent), not of the em square: the glyphs are scaled until the cell
    // fits, so that every text extent is exactly cellHeight high.
    result.m_font.setPixelSize(cellHeight);
    const int naturalHeight = QFontMetrics(result.m_font).height();
    if (naturalHeight <= 0)
        return std::nullopt;
    int pixelSize =
        std::max(1, static_cast<int>(std::lround(double(cellHeight) * cellHeight / naturalHeight)));
    // A few steps suffice: the first estimate is at most a pixel or two off.
    for (int attempt = 0; attempt < 8; ++attempt) {
        result.m_font.setPixelSize(pixelSize);
        if (QFontMetrics(result.m_font).height() <= cellHeight || pixelSize == 1)
            break;
        --pixelSize;
    }
    const QFontMetrics metrics(result.m_font);
    result.m_nAscent = metrics.ascent() + std::max(0, cellHeight - metrics.height()) / 2;
    return result;
}

QSize CDiagramFont::TextExtent(const std::string& text) const {
    const QFontMetrics metrics(m_font);
    return {metrics.horizontalAdvance(QString::fromStdString(text)), m_nCellHeight};
}

CDiagramDC::CDiagramDC(QImage& image) : m_image(image) {
    if (!m_image.isNull() && m_image.format() != QImage::Format_RGB32)
        m_image.convertTo(QImage::Format_RGB32);
    RefreshBits();
}

void CDiagramDC::RefreshBits() {
    m_pBits = m_image.isNull() ? nullptr : m_image.bits();
    m_nStride = m_image.bytesPerLine();
}

COLORREF32 CDiagramDC::GetPixel(int x, int y) const {
    if (!Contains(x, y))
        return kInvalidColour;
    return FromQRgb(Row(y)[x]);
}

void CDiagramDC::SetPixel(int x, int y, COLORREF32 colour) {
    if (Contains(x, y))
        Row(y)[x] = ToQRgb(colour);
}

void CDiagramDC::BlendPixel(int x, int y, COLORREF32 colour, double coverage) {
    if (!Contains(x, y) || !(coverage > 0.0))
        return;
    if (coverage >= 1.0) {
        SetPixel(x, y, colour);
        return;
    }
    const COLORREF32 present = FromQRgb(Row(y)[x]);
    int channels[3];
    for (int c = 0; c < 3; ++c) {
        const int p = Channel(present, 8 * c);
        const int target = Channel(colour, 8 * c);
        const int moved = p + static_cast<int>((target - p) * coverage + 0.5);
        channels[c] = std::clamp(moved, 0, 255);
    }
    Row(y)[x] = qRgb(channels[0], channels[1], channels[2]);
}

void CDiagramDC::FillRect(const PlotRect& rect, COLORREF32 colour) {
    const int left = std::max(0, rect.left);
    const int right = std::min(Width(), rect.right);
    const int top = std::max(0, rect.top);
    const int bottom = std::min(Height(), rect.bottom);
    const QRgb rgb = ToQRgb(colour);
    for (int y = top; y < bottom; ++y)
        std::fill(Row(y) + left, Row(y) + std::max(left, right), rgb);
}

COLORREF32 CDiagramDC::SelectPen(COLORREF32 colour) {
    return std::exchange(m_crPen, colour);
}

void CDiagramDC::MoveTo(int x, int y) {
    m_nPenX = x;
    m_nPenY = y;
}

void CDiagramDC::LineTo(int x, int y) {
    const int x0 = m_nPenX;
    const int y0 = m_nPenY;
    MoveTo(x, y);
    if (y0 == y) {
        // Horizontal and vertical lines are clipped to the bitmap first, so
        // a guide line that runs far outside costs no more than the bitmap.
        const int step = x > x0 ? 1 : -1;
        for (int i = std::clamp(x0, -1, Width()); i != std::clamp(x, -1, Width()); i += step)
            SetPixel(i, y, m_crPen);
        return;
    }
    if (x0 == x) {
        const int step = y > y0 ? 1 : -1;
        for (int j = std::clamp(y0, -1, Height()); j != std::clamp(y, -1, Height()); j += step)
            SetPixel(x, j, m_crPen);
        return;
    }
    if (std::abs(x0) > kLineCoordinateLimit || std::abs(y0) > kLineCoordinateLimit ||
        std::abs(x) > kLineCoordinateLimit || std::abs(y) > kLineCoordinateLimit)
        return;
    // Bresenham's walk; the end point itself is left for the next line.
    const int dx = std::abs(x - x0);
    const int dy = -std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1;
    const int sy = y0 < y ? 1 : -1;
    int error = dx + dy;
    int px = x0;
    int py = y0;
    while (px != x || py != y) {
        SetPixel(px, py, m_crPen);
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            px += sx;
        }
        if (doubled <= dx) {
            error += dx;
            py += sy;
        }
    }
}

const CDiagramFont* CDiagramDC::SelectFont(const CDiagramFont* font) {
    return std::exchange(m_pFont, font);
}

COLORREF32 CDiagramDC::SetTextColor(COLORREF32 colour) {
    return std::exchange(m_crText, colour);
}

COLORREF32 CDiagramDC::SetBkColor(COLORREF32 colour) {
    return std::exchange(m_crBk, colour);
}

QSize CDiagramDC::GetTextExtent(const std::string& text) const {
    return m_pFont ? m_pFont->TextExtent(text) : QSize(0, 0);
}

void CDiagramDC::TextOut(int x, int y, const std::string& text) {
    if (!m_pFont || text.empty() || m_image.isNull())
        return;
    const QSize extent = m_pFont->TextExtent(text);
    {
        QPainter painter(&m_image);
        painter.translate(x, y);
        if (m_pFont->GetDirection() == CDiagramFont::Direction::Upwards)
            painter.rotate(-90.0);
        painter.fillRect(QRect(QPoint(0, 0), extent), ToQColor(m_crBk));
        painter.setFont(m_pFont->Font());
        painter.setPen(ToQColor(m_crText));
        painter.drawText(QPoint(0, m_pFont->Ascent()), QString::fromStdString(text));
    }
    // The painter may have touched the image's storage; take the pixel
    // pointer afresh.
    RefreshBits();
}
