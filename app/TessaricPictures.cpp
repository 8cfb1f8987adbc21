#include "app/TessaricPictures.h"

#include "infra/Version.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QStringList>

namespace {

constexpr int kBannerHeight = 110;
constexpr int kMargin = 24;

QFont PictureFont(int pixelSize, bool bold = false) {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A dark blue band with the program's name, its purpose and its version,
// and a faint ellipse for the two-fold astigmatism it measures.
void PaintBanner(QPainter& painter) {
    QLinearGradient gradient(0, 0, kPictureWidth, kBannerHeight);
    gradient.setColorAt(0.0, QColor(0x12, 0x2a, 0x4c));
    gradient.setColorAt(1.0, QColor(0x23, 0x5a, 0x8c));
    painter.fillRect(0, 0, kPictureWidth, kBannerHeight, gradient);
    painter.setPen(QPen(QColor(0x7f, 0xb2, 0xe0), 2));
    painter.save();
    painter.translate(430, 55);
    painter.rotate(-30);
    painter.drawEllipse(QPointF(0, 0), 46, 22);
    painter.drawLine(QPointF(-56, 0), QPointF(56, 0));
    painter.restore();
    painter.setPen(Qt::white);
    painter.setFont(PictureFont(40, true));
    painter.drawText(QRect(kMargin, 12, 380, 52), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(kTessaricProgramName));
    painter.setFont(PictureFont(13));
    painter.drawText(QRect(kMargin, 64, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Stability of the two-fold astigmatism A22"));
    painter.drawText(QRect(kMargin, 84, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Version ") + QString::fromUtf8(kTessaricVersionText));
}

QImage PaintPicture(int height, const QString& heading, const QStringList& lines) {
    QImage picture(kPictureWidth, height, QImage::Format_RGB888);
    picture.fill(QColor(0xf7, 0xf7, 0xf2));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintBanner(painter);
    painter.setPen(QColor(0x12, 0x2a, 0x4c));
    painter.setFont(PictureFont(14, true));
    painter.drawText(QRect(kMargin, kBannerHeight + 12, kPictureWidth - 2 * kMargin, 20),
                     Qt::AlignLeft | Qt::AlignVCenter, heading);
    painter.setPen(QColor(0x20, 0x20, 0x20));
    painter.setFont(PictureFont(11));
    const QRect body(kMargin, kBannerHeight + 38, kPictureWidth - 2 * kMargin,
                     height - kBannerHeight - 50);
    painter.drawText(body, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     lines.join(QLatin1Char('\n')));
    return picture;
}

} // namespace

QImage WelcomePicture() {
    return PaintPicture(
        kWelcomePictureHeight, QStringLiteral("References"),
        {QStringLiteral("Characteristic function: the mean squared change of the A22 "
                        "astigmatism over a time span, from all image pairs of a series."),
         QStringLiteral("Model fit: quasi-Newton minimisation with BFGS updates (Broyden, "
                        "Fletcher, Goldfarb, Shanno, 1970) from random restarts."),
         QStringLiteral("Probability of staying in tolerance: the noncentral chi-square "
                        "distribution with two degrees of freedom (Marcum Q function)."),
         QString(), QStringLiteral("Credits: the Tessaric project and its contributors.")});
}

QImage DisclaimerPicture() {
    return PaintPicture(
        kDisclaimerPictureHeight, QStringLiteral("Disclaimer"),
        {QStringLiteral("This program is provided \"as is\", without warranty of any kind, "
                        "express or implied, including but not limited to the warranties of "
                        "merchantability, fitness for a particular purpose and "
                        "non-infringement."),
         QString(),
         QStringLiteral("In no event shall the authors or copyright holders be liable for "
                        "any claim, damages or other liability, whether in an action of "
                        "contract, tort or otherwise, arising from, out of or in connection "
                        "with the program or the use of its results."),
         QString(),
         QStringLiteral("Lifetimes and probabilities are estimates from a statistical model; "
                        "check them against your instrument before relying on them.")});
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int side : {16, 32, 48, 128}) {
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / 128.0, side / 128.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x12, 0x2a, 0x4c));
        painter.drawRoundedRect(QRectF(4, 4, 120, 120), 20, 20);
        painter.setPen(QPen(QColor(0x7f, 0xb2, 0xe0), 9));
        painter.setBrush(Qt::NoBrush);
        painter.translate(64, 64);
        painter.rotate(-30);
        painter.drawEllipse(QPointF(0, 0), 46, 24);
        painter.drawLine(QPointF(-54, 0), QPointF(54, 0));
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
