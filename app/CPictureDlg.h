#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

// A small modal window that shows one picture over its whole client area,
// with at most one button on top of it. Its geometry is in dialog units.
class CPictureDlg : public QDialog {
    Q_OBJECT

public:
    struct BUTTON {
        const char* pszText; // null: no button
        int x, y, width, height;
    };

    CPictureDlg(const QString& caption, int width, int height, const QImage& picture,
                const BUTTON& button, QWidget* parent = nullptr);

    QLabel* m_pPicture = nullptr;
    QPushButton* m_pButton = nullptr;
};

// "About Tessaric": picture A with an OK button.
class CAboutDlg : public CPictureDlg {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

// "Disclaimer": picture B with "Acknowledged!".
class CDisclaimerDlg : public CPictureDlg {
    Q_OBJECT

public:
    explicit CDisclaimerDlg(QWidget* parent = nullptr);
};
