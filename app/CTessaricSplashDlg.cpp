#include "app/CTessaricSplashDlg.h"

#include "app/TessaricPictures.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

CTessaricSplashDlg::CTessaricSplashDlg(QWidget* parent)
    : CPictureDlg(QStringLiteral("Welcome !"), 333, 209, WelcomePicture(), {nullptr, 0, 0, 0, 0},
                  parent) {
    m_Timer200.setSingleShot(true);
    m_Timer201.setSingleShot(true);
    connect(&m_Timer200, &QTimer::timeout, this, &CTessaricSplashDlg::OnTimer200);
    connect(&m_Timer201, &QTimer::timeout, this, &CTessaricSplashDlg::OnTimer201);
}

void CTessaricSplashDlg::showEvent(QShowEvent* event) {
    CPictureDlg::showEvent(event);
    if (!m_bCanClose && !m_Timer200.isActive() && !m_Timer201.isActive())
        m_Timer200.start(kSplashLockMs);
}

void CTessaricSplashDlg::OnTimer200() {
    m_bCanClose = 1;
    m_Timer200.stop();
    m_Timer201.start(kSplashStayMs);
}

void CTessaricSplashDlg::OnTimer201() {
    m_bCanClose = 1;
    m_Timer201.stop();
    done(Accepted);
}

// OK and Cancel (Enter, Escape, the close box) end the window only once it
// may close.
void CTessaricSplashDlg::done(int result) {
    if (!m_bCanClose)
        return;
    m_Timer200.stop();
    m_Timer201.stop();
    CPictureDlg::done(result);
}

void CTessaricSplashDlg::keyPressEvent(QKeyEvent* event) {
    if (m_bCanClose)
        done(Accepted);
    event->accept();
}

void CTessaricSplashDlg::mousePressEvent(QMouseEvent* event) {
    if (m_bCanClose && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton))
        done(Accepted);
    CPictureDlg::mousePressEvent(event);
}

void CTessaricSplashDlg::closeEvent(QCloseEvent* event) {
    if (!m_bCanClose) {
        event->ignore();
        return;
    }
    CPictureDlg::closeEvent(event);
}
