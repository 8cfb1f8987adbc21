#include "pages/CQtUserDialogs.h"

#include "infra/Version.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace {

std::optional<FILEDIALOGRESULT> RunFileDialog(QWidget* owner, const FILEDIALOGREQUEST& request,
                                              QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    const QStringList filters = QtNameFilters(request.strFilter);
    dialog.setNameFilters(filters);
    if (request.nFilterIndex >= 1 && request.nFilterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.nFilterIndex - 1]);
    if (!request.strInitialFolder.empty())
        dialog.setDirectory(QString::fromStdString(request.strInitialFolder));
    if (!request.strDefaultName.empty())
        dialog.selectFile(QString::fromStdString(request.strDefaultName));
    if (!request.strDefaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.strDefaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.bOverwritePrompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    FILEDIALOGRESULT result;
    result.strPath = dialog.selectedFiles().front().toStdString();
    result.nFilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (result.nFilterIndex < 1)
        result.nFilterIndex = request.nFilterIndex;
    return result;
}

} // namespace

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty())
            break;
        // Qt takes the patterns from the description's last parentheses, so
        // the description's own pattern list gives way to the entry's.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';')))
            if (!pattern.trimmed().isEmpty())
                patterns << pattern.trimmed();
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

QString DialogText(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::optional<FILEDIALOGRESULT> CQtUserDialogs::OpenFile(QWidget* owner,
                                                         const FILEDIALOGREQUEST& request) {
    return RunFileDialog(owner, request, QFileDialog::AcceptOpen);
}

std::optional<FILEDIALOGRESULT> CQtUserDialogs::SaveFile(QWidget* owner,
                                                         const FILEDIALOGREQUEST& request) {
    return RunFileDialog(owner, request, QFileDialog::AcceptSave);
}

bool CQtUserDialogs::AskYesNo(QWidget* owner, const std::string& title, const std::string& text) {
    return QMessageBox::warning(owner, QString::fromStdString(title), DialogText(text),
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Yes) == QMessageBox::Yes;
}

void CQtUserDialogs::ShowMessage(QWidget* owner, const std::string& text) {
    QMessageBox::warning(owner, QString::fromUtf8(kTessaricProgramName), DialogText(text));
}

int CQtUserDialogs::RunModal(QDialog& dialog) {
    return dialog.exec();
}
