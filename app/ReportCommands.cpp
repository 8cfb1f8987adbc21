#include "app/ReportCommands.h"

#include "app/CCompareSeriesDlg.h"
#include "app/CTessaricDlg.h"
#include "app/MainMenu.h"
#include "diagram/DiagramImage.h"
#include "diagram/ReportFiles.h"
#include "pages/CWaitCursor.h"
#include "pages/IUserDialogs.h"

namespace {

void OnExportReport(CTessaricDlg& w) {
    w.TakeControls();
    CA1TimeSeries* current = w.CurrentSeries();
    if (!current)
        return;
    FILEDIALOGREQUEST request;
    request.strFilter = ReportFileFilter();
    request.nFilterIndex = kDefaultReportFilterIndex;
    request.strDefaultExtension = "html";
    const std::optional<FILEDIALOGRESULT> answer = w.Dialogs().SaveFile(&w, request);
    if (!answer)
        return;
    std::string path = answer->strPath;
    const REPORTCHOICE choice = ReportChoiceForFilter(answer->nFilterIndex, path);
    std::vector<REPORTSERIES> series;
    for (std::size_t i = 0; i < w.m_SeriesList.size(); ++i) {
        CA1TimeSeries& item = w.m_SeriesList[i];
        // The window fits with the clock's seed and keeps no record of it.
        if (choice.bAllSeries || &item == current)
            series.push_back({&item, i + 1, nullptr, std::nullopt});
    }
    {
        CWaitCursor wait;
        WriteReport(path, choice.bPdf, series, DefaultDiagramSize(), ReportOptionsFromEnvironment(),
                    w.m_Log);
    }
    w.PutControls();
}

void OnCompareSeries(CTessaricDlg& w) {
    w.TakeControls();
    CCompareSeriesDlg dialog(w.m_SeriesList, w.m_nCurSeries, w.Dialogs(), w.m_Log, &w);
    w.Dialogs().RunModal(dialog);
    w.PutControls();
}

} // namespace

void RegisterReportCommands(CTessaricDlg& window) {
    CTessaricDlg* w = &window;
    window.Commands().Add(
        ID_FILE_EXPORT_REPORT, [w] { OnExportReport(*w); },
        [w] { return !w->m_SeriesList.empty() && w->m_nCurSeries >= 0; });
    window.Commands().Add(
        ID_ANALYZE_COMPARE, [w] { OnCompareSeries(*w); }, [w] { return !w->m_SeriesList.empty(); });
}
