#include "diagram/CA1DiagramWnd.h"

#include "data/CA1TimeSeries.h"
#include "diagram/CDiagramDC.h"
#include "diagram/DiagramImage.h"

#include <QPainter>

CA1DiagramWnd::CA1DiagramWnd(QWidget* parent) : QFrame(parent) {
    // The bitmap covers the whole client area: nothing is erased before a
    // paint, so the window never flickers.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

CA1DiagramWnd::~CA1DiagramWnd() = default;

bool CA1DiagramWnd::Create(const QString& name, int id, const QRect& rect, QWidget* parent) {
    const QSize client(rect.width() - 2 * kDiagramEdgeWidth, rect.height() - 2 * kDiagramEdgeWidth);
    if (IsCreated() || client.width() <= 0 || client.height() <= 0)
        return false;
    QImage bitmap = CreateDiagramBitmap(client);
    if (bitmap.isNull())
        return false;
    if (parent != parentWidget())
        setParent(parent);
    setObjectName(name);
    setWindowTitle(name);
    m_nId = id;
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kDiagramEdgeWidth);
    setGeometry(rect);
    m_image = std::move(bitmap);
    m_style.SetBitmapSize(m_image.width(), m_image.height());
    show();
    return true;
}

bool CA1DiagramWnd::DrawSeries(CA1TimeSeries* series) {
    if (!series || !IsCreated())
        return false;
    // The style is used as it stands: its plot rectangle was fixed when the
    // bitmap was made, whatever happened to the border since.
    CDiagramDC dc(m_image);
    return series->DrawDiagram(dc, m_style);
}

bool CA1DiagramWnd::FitBitmapToWindow() {
    const QSize client = contentsRect().size();
    if (!IsCreated() || client == m_image.size() || client.isEmpty())
        return false;
    QImage bitmap = CreateDiagramBitmap(client);
    if (bitmap.isNull())
        return false;
    m_image = std::move(bitmap);
    m_style.SetBitmapSize(m_image.width(), m_image.height());
    return true;
}

bool CA1DiagramWnd::SaveImage(const std::string& path) const {
    return SaveDiagramImage(m_image, path);
}

void CA1DiagramWnd::paintEvent(QPaintEvent* event) {
    if (IsCreated()) {
        QPainter painter(this);
        painter.drawImage(contentsRect().topLeft(), m_image);
    }
    QFrame::paintEvent(event);
}
