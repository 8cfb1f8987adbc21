#include "pages/CProbabilityMapDlg.h"

#include "data/CA1TimeSeries.h"
#include "diagram/DiagramImage.h"
#include "pages/IUserDialogs.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace {

// The margin around the map inside its window, in pixels.
constexpr int kMapMargin = 6;

} // namespace

CProbabilityMapDlg::CProbabilityMapDlg(QWidget* parent, CA1TimeSeries& series, QSize diagramSize,
                                       CLogFile* pLog, IUserDialogs* pDialogs)
    : QDialog(parent), m_wndDiagram(this), m_pLog(pLog), m_pDialogs(pDialogs) {
    setWindowTitle(QStringLiteral("P(a,t) Map"));
    setObjectName(QStringLiteral("ProbabilityMap"));
    const QSize window(diagramSize.width() + 2 * kDiagramEdgeWidth,
                       diagramSize.height() + 2 * kDiagramEdgeWidth);
    m_wndDiagram.Create(QStringLiteral("ProbabilityMapDiagram"), 0,
                        QRect(QPoint(kMapMargin, kMapMargin), window), this);
    m_wndDiagram.Style().m_nType = ProbabilityMap;
    m_wndDiagram.DrawSeries(&series);
    setFixedSize(window.width() + 2 * kMapMargin, window.height() + 2 * kMapMargin);
    m_wndDiagram.installEventFilter(this);
}

void CProbabilityMapDlg::OnExportImage() {
    if (!m_pDialogs)
        return;
    FILEDIALOGREQUEST request;
    request.strFilter = ImageFileFilter();
    request.nFilterIndex = kDefaultImageFilterIndex;
    const auto answer = m_pDialogs->SaveFile(this, request);
    if (answer)
        ExportDiagramImage(m_wndDiagram, answer->strPath, answer->nFilterIndex, m_pLog);
}

bool CProbabilityMapDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_wndDiagram && event->type() == QEvent::ContextMenu) {
        auto* request = static_cast<QContextMenuEvent*>(event);
        QMenu menu(this);
        menu.addAction(QStringLiteral("Export Image"), this, [this] { OnExportImage(); });
        menu.exec(request->globalPos());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
