#include "pages/CDiagramPage.h"

#include "data/CA1TimeSeries.h"
#include "diagram/DiagramImage.h"
#include "infra/CLogFile.h"
#include "pages/CProbabilityMapDlg.h"
#include "pages/IPageHost.h"
#include "pages/IUserDialogs.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

namespace {

// The data set that a diagram type shows, with the series operations that
// save it and the page's report of each success.
struct DATASETEXPORT {
    const char* pszKind; // in the proposed file name, as tessaric-cli names its files
    CDiagramPage::SeriesExport table;
    CDiagramPage::SeriesExport binary;
    const char* pszTableSaved;
    const char* pszBinarySaved;
};

const DATASETEXPORT kTimeExport{
    "time", &CA1TimeSeries::ExportTimeTable, &CA1TimeSeries::ExportTimeData,
    "Astigmatism-time data table saved to file [", "Binary astigmatism-time data saved to file ["};
const DATASETEXPORT kCFuncExport{"cfunc", &CA1TimeSeries::ExportCFuncTable,
                                 &CA1TimeSeries::ExportCFuncData,
                                 "Characteristic function data table saved to file [",
                                 "Binary characteristic data saved to file ["};
const DATASETEXPORT kModelExport{
    "model", &CA1TimeSeries::ExportModelTable, &CA1TimeSeries::ExportModelData,
    "Model data table saved to file [", "Binary model data saved to file ["};
const DATASETEXPORT kProbExport{
    "prob", &CA1TimeSeries::ExportProbTable, &CA1TimeSeries::ExportProbData,
    "Probability data table saved to file [", "Binary probability data saved to file ["};

// Both A22 displays show the astigmatism-time series.
const DATASETEXPORT& DataSetOf(std::int32_t nDiagramType) {
    switch (nDiagramType) {
    case CharFunction:
        return kCFuncExport;
    case FittedModel:
        return kModelExport;
    case ProbabilityPlot:
        return kProbExport;
    default:
        return kTimeExport;
    }
}

struct MENUITEM {
    const char* pszText;
    void (CDiagramPage::*handler)();
};

const MENUITEM kContextMenu[] = {
    {"Export Image", &CDiagramPage::OnExportImage},
    {"Export Data Table", &CDiagramPage::OnExportDataTable},
    {"Export Binary Data", &CDiagramPage::OnExportBinaryData},
    {"Show Map", &CDiagramPage::OnShowMap},
};

} // namespace

// The save dialog and the failure report of each kind of data file.
struct CDiagramPage::DATAFILEKIND {
    const char* pszFilter;
    const char* pszExtension;
    const char* pszFailure;
};

const CDiagramPage::DATAFILEKIND CDiagramPage::kTableFile{
    "Text Data Table  (*.txt)|*.txt|All Files  (*.*)|*.*||", "txt",
    "ERROR: Failed to save data table."};
const CDiagramPage::DATAFILEKIND CDiagramPage::kBinaryFile{
    "Binary Data  (*.dat)|*.dat|All Files  (*.*)|*.*||", "dat",
    "ERROR: Failed to save binary data."};

CDiagramPage::CDiagramPage(QWidget* parent) : CTessaricPage(parent), m_wndDiagram(this) {
    m_pContextMenu = new QMenu(QStringLiteral("Context Menu"), this);
    for (const MENUITEM& item : kContextMenu) {
        const auto handler = item.handler;
        QAction* action = m_pContextMenu->addAction(QString::fromUtf8(item.pszText), this,
                                                    [this, handler] { (this->*handler)(); });
        if (item.handler == &CDiagramPage::OnShowMap)
            m_pShowMap = action;
    }
    m_wndDiagram.installEventFilter(this);
}

CDiagramPage::~CDiagramPage() = default;

void CDiagramPage::LogMessage(const std::string& text) const {
    if (m_pLog)
        m_pLog->WriteLine(text);
}

void CDiagramPage::CreateDiagramWindow(const QString& name, int nId) {
    m_wndDiagram.Create(name, nId, m_Units.Rect(6, 42, 390, 210), this);
}

void CDiagramPage::resizeEvent(QResizeEvent* event) {
    CTessaricPage::resizeEvent(event);
    if (m_wndDiagram.FitBitmapToWindow())
        RedrawDiagram();
}

void CDiagramPage::RedrawDiagram() {
    m_wndDiagram.DrawSeries(m_pSeries);
    m_wndDiagram.repaint();
}

bool CDiagramPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_wndDiagram && event->type() == QEvent::ContextMenu) {
        auto* request = static_cast<QContextMenuEvent*>(event);
        // A keyboard request carries no point inside the window.
        if (request->reason() == QContextMenuEvent::Mouse)
            OnContextMenu(&m_wndDiagram, request->globalPos());
        return true;
    }
    return CTessaricPage::eventFilter(watched, event);
}

bool CDiagramPage::OnContextMenu(QWidget* window, const QPoint& globalPos) {
    if (window != &m_wndDiagram || !m_wndDiagram.rect().contains(window->mapFromGlobal(globalPos)))
        return false;
    // Only the probability plot has a map to show.
    m_pShowMap->setVisible(m_wndDiagram.Style().m_nType == ProbabilityPlot);
    m_pShowMap->setEnabled(m_pSeries && m_pSeries->HasModel());
    m_pContextMenu->popup(globalPos);
    return true;
}

void CDiagramPage::OnShowMap() {
    if (!m_pSeries || !m_pSeries->HasModel() || m_wndDiagram.Style().m_nType != ProbabilityPlot)
        return;
    auto* map = new CProbabilityMapDlg(this, *m_pSeries, m_wndDiagram.Bitmap().size(), m_pLog,
                                       m_pHost ? &m_pHost->Dialogs() : nullptr);
    map->setAttribute(Qt::WA_DeleteOnClose);
    map->show();
}

void CDiagramPage::OnExportImage() {
    if (!m_pSeries || !isVisible() || !m_pHost)
        return;
    FILEDIALOGREQUEST request;
    request.strFilter = ImageFileFilter();
    request.nFilterIndex = kDefaultImageFilterIndex;
    // No default extension for the dialog: a name without one takes the
    // extension of the filter chosen, which the export adds itself.
    const int type = m_wndDiagram.Style().m_nType;
    const auto answer = m_pHost->AskExportPath(this, request,
                                               type == A22Time    ? "a22-time"
                                               : type == A22Plane ? "a22-plane"
                                                                  : DataSetOf(type).pszKind);
    if (!answer)
        return;
    ExportDiagramImage(m_wndDiagram, answer->strPath, answer->nFilterIndex, m_pLog);
}

void CDiagramPage::OnExportDataTable() {
    const DATASETEXPORT& dataSet = DataSetOf(m_wndDiagram.Style().m_nType);
    ExportDataFile(kTableFile, dataSet.pszKind, dataSet.table, dataSet.pszTableSaved);
}

void CDiagramPage::OnExportBinaryData() {
    const DATASETEXPORT& dataSet = DataSetOf(m_wndDiagram.Style().m_nType);
    ExportDataFile(kBinaryFile, dataSet.pszKind, dataSet.binary, dataSet.pszBinarySaved);
}

void CDiagramPage::ExportDataFile(const DATAFILEKIND& kind, const char* pszKind, SeriesExport write,
                                  const char* pszSaved) {
    if (!m_pSeries || !isVisible() || !m_pHost)
        return;
    FILEDIALOGREQUEST request;
    request.strFilter = kind.pszFilter;
    request.strDefaultExtension = kind.pszExtension;
    const auto answer = m_pHost->AskExportPath(this, request, pszKind);
    if (!answer)
        return;
    m_pSeries->m_pLog = m_pLog;
    if ((m_pSeries->*write)(answer->strPath))
        LogMessage(pszSaved + answer->strPath + "].");
    else
        LogMessage(kind.pszFailure);
}
