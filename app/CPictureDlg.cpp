#include "app/CPictureDlg.h"

#include "app/TessaricPictures.h"
#include "diagram/DialogUnits.h"

#include <QLabel>
#include <QPushButton>

CPictureDlg::CPictureDlg(const QString& caption, int width, int height, const QImage& picture,
                         const BUTTON& button, QWidget* parent)
    : QDialog(parent) {
    setFont(DialogFont());
    const CDialogUnits units = CDialogUnits::ForFont(font());
    setWindowTitle(caption);
    setFixedSize(units.Size(width, height));
    m_pPicture = new QLabel(this);
    m_pPicture->setPixmap(QPixmap::fromImage(picture));
    m_pPicture->setScaledContents(true);
    m_pPicture->setGeometry(rect());
    if (button.pszText) {
        m_pButton = new QPushButton(QString::fromUtf8(button.pszText), this);
        m_pButton->setGeometry(units.Rect(button.x, button.y, button.width, button.height));
        m_pButton->setDefault(true);
        connect(m_pButton, &QPushButton::clicked, this, &QDialog::accept);
    }
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : CPictureDlg(QStringLiteral("About Tessaric"), 333, 209, WelcomePicture(),
                  {"OK", 265, 170, 50, 14}, parent) {}

CDisclaimerDlg::CDisclaimerDlg(QWidget* parent)
    : CPictureDlg(QStringLiteral("Disclaimer"), 333, 244, DisclaimerPicture(),
                  {"Acknowledged!", 126, 224, 77, 14}, parent) {}
