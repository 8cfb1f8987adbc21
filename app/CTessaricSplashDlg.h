#pragma once

#include "app/CPictureDlg.h"

#include <QTimer>

// The welcome window: picture A without a button. It cannot be dismissed
// during its first 2 s, closes on any key or mouse click after them and
// closes by itself 6 s after it opened.
class CTessaricSplashDlg : public CPictureDlg {
    Q_OBJECT

public:
    explicit CTessaricSplashDlg(QWidget* parent = nullptr);

    // Timer 200, 2 s after opening: from now on the window may close.
    void OnTimer200();
    // Timer 201, 4 s later: the window closes itself.
    void OnTimer201();

    int m_bCanClose = 0;
    QTimer m_Timer200;
    QTimer m_Timer201;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

inline constexpr int kSplashLockMs = 2000;
inline constexpr int kSplashStayMs = 4000;
