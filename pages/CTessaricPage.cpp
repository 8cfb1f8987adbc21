#include "pages/CTessaricPage.h"

#include "infra/CLogFile.h"

#include <QLineEdit>
#include <QResizeEvent>

namespace {

// Where the pages' right-hand column of controls begins, and where the
// panes begin below the two lines at the top, in dialog units.
constexpr int kRightColumnX = 400;
constexpr int kPaneTopY = 42;

} // namespace

CTessaricPage::CTessaricPage(QWidget* parent)
    : QWidget(parent), m_Units(CDialogUnits::ForFont(DialogFont())) {
    setFont(DialogFont());
}

void CTessaricPage::LogDebug(const std::string& text) const {
    if (m_pLog)
        m_pLog->WriteDebug(text, kPageDebugLevel);
}

void CTessaricPage::CaptureTemplateLayout(QSize placed) {
    m_TemplatePixels = placed;
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QWidget* pane = nullptr;
    for (QWidget* child : children)
        if (!pane || child->width() * child->height() > pane->width() * pane->height())
            pane = child;
    const int rightColumn = m_Units.Rect(kRightColumnX, 0, 0, 0).x();
    const int paneTop = m_Units.Rect(0, kPaneTopY, 0, 0).y();
    for (QWidget* child : children) {
        using Follow = CAnchoredLayout::Follow;
        Follow follow = Follow::Stay;
        if (child == pane)
            follow = Follow::WiderTaller;
        else if (child->x() >= rightColumn)
            follow = Follow::Right;
        else if (qobject_cast<QLineEdit*>(child) && child->y() < paneTop)
            follow = Follow::Wider;
        m_Layout.Add(child, follow);
    }
}

void CTessaricPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_Layout.IsEmpty())
        m_Layout.Apply(width() - m_TemplatePixels.width(), height() - m_TemplatePixels.height());
}
