#pragma once

#include "pages/IUserDialogs.h"

#include <QString>
#include <QStringList>

// The user dialogs on QFileDialog, QMessageBox and QDialog::exec.
class CQtUserDialogs : public IUserDialogs {
public:
    std::optional<FILEDIALOGRESULT> OpenFile(QWidget* owner,
                                             const FILEDIALOGREQUEST& request) override;
    std::optional<FILEDIALOGRESULT> SaveFile(QWidget* owner,
                                             const FILEDIALOGREQUEST& request) override;
    bool AskYesNo(QWidget* owner, const std::string& title, const std::string& text) override;
    void ShowMessage(QWidget* owner, const std::string& text) override;
    int RunModal(QDialog& dialog) override;
};

// The classic filter notation as Qt name filters, one per entry, with the
// patterns separated by blanks inside the last parentheses:
// "Text (*.txt)|*.txt; *.log||" gives "Text (*.txt *.log)".
QStringList QtNameFilters(const std::string& filter);

// Text with CR LF line breaks as Qt shows it: LF only.
QString DialogText(const std::string& text);
