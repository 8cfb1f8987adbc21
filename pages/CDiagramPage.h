#pragma once

#include "diagram/CA1DiagramWnd.h"
#include "pages/CTessaricPage.h"

#include <string>

class CA1TimeSeries;

class QAction;
class QMenu;
class QContextMenuEvent;

// The commands of the diagram pages' context menu (menu 143).
enum PageCommand : int {
    ID_EXPORT_BINARY_DATA = 32804,
    ID_EXPORT_DATA_TABLE = 32806,
    ID_EXPORT_IMAGE = 32810,
};

// What the three diagram page classes share: the diagram window over the
// template's placeholder 1017, the context menu with the three exports, and
// the export handlers, which save the data set that the diagram shows.
class CDiagramPage : public CTessaricPage {
    Q_OBJECT

public:
    explicit CDiagramPage(QWidget* parent = nullptr);
    ~CDiagramPage() override;

    // The window's part of creating the page: its controls, filled from the
    // members, and the diagram window.
    virtual void Create() = 0;

    void OnExportImage();
    void OnExportDataTable();
    void OnExportBinaryData();
    // Opens the P(a, t) map of the series in a window of its own (the
    // probability plot's page only; nothing without a model).
    void OnShowMap();

    // Shows the context menu at the screen point when the request comes from
    // the page's diagram window and the point lies inside it; true when
    // shown. A keyboard request has no point and shows nothing.
    bool OnContextMenu(QWidget* window, const QPoint& globalPos);
    QMenu* ContextMenu() const { return m_pContextMenu; }

    // A record of the page's own (messages of its commands); nothing
    // without a log.
    void LogMessage(const std::string& text) const;

    CA1DiagramWnd m_wndDiagram;

    using SeriesExport = bool (CA1TimeSeries::*)(const std::string&);

protected:
    // Creates the diagram window over placeholder 1017 (6, 42, 390, 210).
    void CreateDiagramWindow(const QString& name, int nId);
    // Draws the current series again and shows it at once.
    void RedrawDiagram();

    bool eventFilter(QObject* watched, QEvent* event) override;
    // The diagram follows the page's size: a bitmap of its new size, drawn
    // at once.
    void resizeEvent(QResizeEvent* event) override;

private:
    struct DATAFILEKIND;
    static const DATAFILEKIND kTableFile;
    static const DATAFILEKIND kBinaryFile;

    // Asks for the file name and writes the file with the series operation.
    void ExportDataFile(const DATAFILEKIND& kind, const char* pszKind, SeriesExport write,
                        const char* pszSaved);

    QMenu* m_pContextMenu = nullptr;
    QAction* m_pShowMap = nullptr;
};
