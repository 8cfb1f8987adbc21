#pragma once

#include "diagram/CA1DiagramWnd.h"

#include <QDialog>

class CA1TimeSeries;
class CLogFile;
class IUserDialogs;

// The P(a, t) map of a series in a window of its own, opened from the
// probability plot's context menu; the map's own context menu exports its
// image like the pages' diagrams do. The series is drawn once when the
// window opens: the window keeps no reference to it.
class CProbabilityMapDlg : public QDialog {
    Q_OBJECT

public:
    // `diagramRect` is the page diagram's size in pixels, which the map
    // takes. The log and dialogs are not owned and must outlive the window.
    CProbabilityMapDlg(QWidget* parent, CA1TimeSeries& series, QSize diagramSize, CLogFile* pLog,
                       IUserDialogs* pDialogs);

    const CA1DiagramWnd& DiagramWindow() const { return m_wndDiagram; }
    void OnExportImage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CA1DiagramWnd m_wndDiagram;
    CLogFile* m_pLog = nullptr;
    IUserDialogs* m_pDialogs = nullptr;
};
