#pragma once

#include <optional>
#include <string>

class QDialog;
class QWidget;

// What a file dialog is asked to show. The filter is in the classic
// notation: description and pattern separated by "|", entries one after the
// other, the list ended by "||"; patterns within an entry are separated by
// ";". Filter indices count from 1.
struct FILEDIALOGREQUEST {
    std::string strFilter;
    int nFilterIndex = 1;
    std::string strInitialFolder;
    std::string strDefaultExtension; // without the dot; empty for none
    std::string strDefaultName;      // the proposed file name; empty for none
    bool bOverwritePrompt = true;    // save dialogs only
};

// The user's choice: the full path and the index of the filter in use.
struct FILEDIALOGRESULT {
    std::string strPath;
    int nFilterIndex = 1;
};

// Every dialog that waits for the user goes through this interface: the
// windows use the Qt implementation, tests a scripted one that answers
// without showing anything.
class IUserDialogs {
public:
    virtual ~IUserDialogs() = default;

    // Nothing when the user cancelled.
    virtual std::optional<FILEDIALOGRESULT> OpenFile(QWidget* owner,
                                                     const FILEDIALOGREQUEST& request) = 0;
    virtual std::optional<FILEDIALOGRESULT> SaveFile(QWidget* owner,
                                                     const FILEDIALOGREQUEST& request) = 0;
    // A warning with the buttons Yes and No; true for Yes. Line breaks of
    // the text may be CR LF or LF.
    virtual bool AskYesNo(QWidget* owner, const std::string& title, const std::string& text) = 0;
    // A message with an OK button, such as a field's validation message.
    virtual void ShowMessage(QWidget* owner, const std::string& text) = 0;
    // Runs a small window modally and returns its result code
    // (QDialog::Accepted or QDialog::Rejected).
    virtual int RunModal(QDialog& dialog) = 0;
};
