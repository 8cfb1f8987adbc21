#pragma once

class IUserDialogs;

// What a page asks of the main window that shows it.
class IPageHost {
public:
    virtual ~IPageHost() = default;

    // After an evaluation has moved the series' stored tab: rebuild the
    // tabs for the current series, show its page and put the window's
    // members into its controls.
    virtual void RefreshTabs() = 0;
    // File dialogs, message boxes and modal windows of the page.
    virtual IUserDialogs& Dialogs() = 0;
};
