#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

// Fixed window geometry is given in dialog units: a quarter of the dialog
// font's average character width horizontally, an eighth of its height
// vertically. Every window, page and the diagram size convert through this
// one class, so the windows scale with the dialog font.
class CDialogUnits {
public:
    // The base units of the classic 8-point dialog font at 96 dpi, which the
    // diagram files of the command-line program keep on every machine.
    static constexpr int kStandardBaseX = 6;
    static constexpr int kStandardBaseY = 13;

    CDialogUnits() = default;
    CDialogUnits(int nBaseX, int nBaseY);
    // The base units measured on `font` the way the classic dialog manager
    // does: the average width of the 52 Latin letters, halved and rounded up
    // to whole pixels, and the font's line height.
    static CDialogUnits ForFont(const QFont& font);

    int BaseX() const { return m_nBaseX; }
    int BaseY() const { return m_nBaseY; }

    // x * cx / 4 and y * cy / 8, rounded half away from zero.
    int X(int x) const;
    int Y(int y) const;
    QPoint Point(int x, int y) const { return {X(x), Y(y)}; }
    QSize Size(int width, int height) const { return {X(width), Y(height)}; }
    QRect Rect(int x, int y, int width, int height) const {
        return {Point(x, y), Size(width, height)};
    }

private:
    int m_nBaseX = kStandardBaseX;
    int m_nBaseY = kStandardBaseY;
};

// The dialog font of every window: an 8-point sans serif of the classic
// dialogs' metrics (Liberation Sans, Arial or the system's sans serif).
QFont DialogFont();

// Dialog units to pixels with the standard base units.
QSize DialogUnitsToPixels(int width, int height);
