#pragma once

#include "diagram/DiagramStyle.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

#include <optional>
#include <string>

// A label font as the diagrams use it: a face, a cell height in pixels (the
// height that text extents report) and a direction, either horizontal or
// rotated by 90 degrees so that text reads upwards.
class CDiagramFont {
public:
    enum class Direction { Horizontal, Upwards };

    // A negative height gives characters of that many pixels in a cell as
    // high as the font needs. Empty when no font can be made: no face, a
    // height of 0, or no running GUI application to provide fonts.
    static std::optional<CDiagramFont> Create(const std::string& face, int cellHeight,
                                              Direction direction);

    const QFont& Font() const { return m_font; }
    int CellHeight() const { return m_nCellHeight; }
    int Ascent() const { return m_nAscent; }
    Direction GetDirection() const { return m_direction; }

    // Width and height of the text as written in its own direction, before
    // any rotation. Every text, the empty one included, is a cell high.
    QSize TextExtent(const std::string& text) const;

private:
    CDiagramFont() = default;

    QFont m_font;
    int m_nCellHeight = 0;
    int m_nAscent = 0;
    Direction m_direction = Direction::Horizontal;
};

// The drawing context of a diagram bitmap: a 32-bit top-down image with a
// one-pixel pen for straight lines, a selected font with opaque text, and
// direct pixel access for the anti-aliased primitives. Pixels outside the
// bitmap are ignored, as the bitmap clips them.
class CDiagramDC {
public:
    // The image is drawn into in place; it is converted to 32-bit RGB first
    // when it has another format.
    explicit CDiagramDC(QImage& image);

    QImage& Image() { return m_image; }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

    static QColor ToQColor(COLORREF32 colour) {
        return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    }
    static COLORREF32 FromQRgb(QRgb rgb) {
        return static_cast<COLORREF32>(qRed(rgb)) | (static_cast<COLORREF32>(qGreen(rgb)) << 8) |
               (static_cast<COLORREF32>(qBlue(rgb)) << 16);
    }

    // Outside the bitmap: kInvalidColour.
    COLORREF32 GetPixel(int x, int y) const;
    void SetPixel(int x, int y, COLORREF32 colour);
    // Blends the colour into the pixel by the coverage: each channel moves
    // from its present value P towards C by trunc((C - P) * k + 0.5). Full
    // coverage sets the colour; no coverage leaves the pixel alone.
    void BlendPixel(int x, int y, COLORREF32 colour, double coverage);
    // Fills left <= x < right, top <= y < bottom.
    void FillRect(const PlotRect& rect, COLORREF32 colour);

    // The one-pixel solid pen. LineTo draws from the pen position to the
    // point without the point itself and moves the pen position there, so
    // connected lines set every pixel once.
    COLORREF32 SelectPen(COLORREF32 colour);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    // The selected font is not owned; it must outlive its selection.
    const CDiagramFont* SelectFont(const CDiagramFont* font);
    COLORREF32 SetTextColor(COLORREF32 colour);
    COLORREF32 SetBkColor(COLORREF32 colour);
    // Extent of the text in the selected font, (0, 0) without one.
    QSize GetTextExtent(const std::string& text) const;
    // Writes the text with its top-left corner (in the text's own direction)
    // at (x, y) on a box of the background colour. A rotated font turns the
    // text about that corner so that it reads upwards.
    void TextOut(int x, int y, const std::string& text);

    static constexpr COLORREF32 kInvalidColour = 0xFFFFFFFF;

private:
    QRgb* Row(int y) {
        return reinterpret_cast<QRgb*>(m_pBits + static_cast<qsizetype>(y) * m_nStride);
    }
    const QRgb* Row(int y) const {
        return reinterpret_cast<const QRgb*>(m_pBits + static_cast<qsizetype>(y) * m_nStride);
    }
    void RefreshBits();

    QImage& m_image;
    uchar* m_pBits = nullptr;
    qsizetype m_nStride = 0;
    COLORREF32 m_crPen = 0x000000;
    int m_nPenX = 0;
    int m_nPenY = 0;
    const CDiagramFont* m_pFont = nullptr;
    COLORREF32 m_crText = 0x000000;
    COLORREF32 m_crBk = 0xFFFFFF;
};
