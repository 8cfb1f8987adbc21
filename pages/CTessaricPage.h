#pragma once

#include "diagram/DialogUnits.h"
#include "pages/CAnchoredLayout.h"

#include <QWidget>

#include <cstdint>
#include <string>

class CA1TimeSeries;
class CLogFile;
class CMainParameters;
class IPageHost;

// A tab page of the main window: a child widget that the window creates
// once, places over the tab control's display area when its tab is shown
// and hides otherwise. The window hands the page its series before showing
// it or before any command reaches it.
class CTessaricPage : public QWidget {
    Q_OBJECT

public:
    explicit CTessaricPage(QWidget* parent = nullptr);

    // Fills the page for `series`, which may be null (no series).
    virtual void ShowSeries(CA1TimeSeries* series) = 0;

    // The window calls this whenever its series list changes: the list may
    // have moved or destroyed the series shown last, so the page keeps no
    // reference to it.
    virtual void ForgetSeries() { m_pSeries = nullptr; }

    // At the end of the program: the page's display choice into the
    // parameters (the A22-time page keeps one; the others have none).
    virtual void StoreDisplayChoice(CMainParameters& /*params*/) {}

    // The page's own size in dialog units (its template).
    virtual QSize TemplateSize() const = 0;

    // A debug record at the level of the pages' details; nothing without a
    // log.
    void LogDebug(const std::string& text) const;

    const CDialogUnits& Units() const { return m_Units; }

    // Called once the page was created at its template size, with the size
    // the window gives the page at the window's own template size: from
    // then on a larger page grows its pane (the largest control) and the
    // lines at the top, and moves the controls of the right-hand column along.
    void CaptureTemplateLayout(QSize placed);

    // Set by the main window before it creates the page; not owned.
    CLogFile* m_pLog = nullptr;
    CMainParameters* m_pMainParams = nullptr;
    IPageHost* m_pHost = nullptr;
    // The series shown last; not owned, null when none.
    CA1TimeSeries* m_pSeries = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

    CDialogUnits m_Units;
    CAnchoredLayout m_Layout;
    QSize m_TemplatePixels;
};

// The debug level of the pages' own records.
inline constexpr std::uint32_t kPageDebugLevel = 4;
