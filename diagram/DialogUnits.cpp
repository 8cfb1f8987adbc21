#include "diagram/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace {

int ScaleRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

CDialogUnits::CDialogUnits(int nBaseX, int nBaseY)
    : m_nBaseX(std::max(1, nBaseX)), m_nBaseY(std::max(1, nBaseY)) {}

CDialogUnits CDialogUnits::ForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

int CDialogUnits::X(int x) const {
    return ScaleRounded(x, m_nBaseX, 4);
}

int CDialogUnits::Y(int y) const {
    return ScaleRounded(y, m_nBaseY, 8);
}

QFont DialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QSize DialogUnitsToPixels(int width, int height) {
    return CDialogUnits().Size(width, height);
}
