#pragma once

#include "pages/IUserDialogs.h"

class CBackgroundRunner;

// What a page asks of the main window that shows it.
class IPageHost {
public:
    virtual ~IPageHost() = default;

    // After an evaluation has moved the series' stored tab: rebuild the
    // tabs for the current series and show its page.
    virtual void RefreshTabs() = 0;
    // After a long command: the log's new records into the window's pane at
    // once, rather than at the next tick of its timer.
    virtual void ShowNewLogRecords() {}
    // The window's members into its controls, as a page's command ends.
    virtual void PutControls() = 0;
    // File dialogs, message boxes and modal windows of the page.
    virtual IUserDialogs& Dialogs() = 0;
    // The save dialog of an export of the current series: `pszKind` names
    // what is saved ("cfunc", "report", ...) for the proposed name.
    virtual std::optional<FILEDIALOGRESULT> AskExportPath(QWidget* owner, FILEDIALOGREQUEST request,
                                                          const char* /*pszKind*/) {
        return Dialogs().SaveFile(owner, request);
    }
    // The runner of the window's long commands; null runs them at once on
    // the calling thread (a page without a window).
    virtual CBackgroundRunner* Runner() { return nullptr; }
};
