#pragma once

#include "pages/CWaitCursor.h"
#include "pages/IPageHost.h"

// Around a command that keeps the window busy (an evaluation, a fit, a
// re-extraction): the wait cursor while it runs, and its log records in the
// window's pane as soon as it returns.
class CLongCommand {
public:
    explicit CLongCommand(IPageHost* host) : m_pHost(host) {}
    ~CLongCommand() {
        if (m_pHost)
            m_pHost->ShowNewLogRecords();
    }
    CLongCommand(const CLongCommand&) = delete;
    CLongCommand& operator=(const CLongCommand&) = delete;

private:
    IPageHost* m_pHost;
    CWaitCursor m_Wait;
};
