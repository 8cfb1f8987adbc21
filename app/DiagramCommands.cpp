#include "app/DiagramCommands.h"

#include "app/CTessaricDlg.h"
#include "app/MainMenu.h"
#include "pages/CDDA1TimeDiagramDlg.h"
#include "pages/CDDCFuncDiagramDlg.h"
#include "pages/CDDLogTextDlg.h"
#include "pages/CDDModelDiagramDlg.h"

#include <QTabBar>

namespace {

// The tabs that Probability Plot and Evaluation Summary select.
constexpr std::int32_t kProbabilityTab = 4;
constexpr std::int32_t kSummaryTabWithModel = 5;
constexpr std::int32_t kSummaryTabWithoutModel = 3;
// The A22-time tab, which has an export before any evaluation.
constexpr std::int32_t kA22TimeTab = 1;

// n >= 1 and a selected series.
bool HasSelectedSeries(CTessaricDlg& w) {
    return !w.m_SeriesList.empty() && w.m_nCurSeries >= 0;
}

bool CanFit(CTessaricDlg& w) {
    return HasSelectedSeries(w) && !w.CurrentSeries()->m_CFuncData.empty();
}

bool CanShowSummary(CTessaricDlg& w) {
    return CanFit(w) && w.CurrentSeries()->HasCharFunction();
}

bool CanShowProbability(CTessaricDlg& w) {
    return CanFit(w) && w.CurrentSeries()->HasModel();
}

// A diagram tab is selected: "A22-Time Graph" always, and of the others
// every one but the last, which is "Summary" whenever there are more than
// two tabs.
bool CanExport(CTessaricDlg& w) {
    const std::int32_t page = w.m_nCurPage;
    return HasSelectedSeries(w) && page >= kA22TimeTab &&
           (page == kA22TimeTab || page < w.m_TabCtrl->count() - 1);
}

// The page of the selected tab that exports its data set, when the current
// series has that data set.
CDiagramPage* ExportingPage(CTessaricDlg& w, const CA1TimeSeries& series) {
    switch (w.m_nCurPage) {
    case 1:
        return w.m_pA1TimePage;
    case 2:
        return series.m_nCFuncState > 0 ? w.m_pCFuncPage : nullptr;
    case 3:
        return series.m_nCFuncState > 0 && series.m_nModelState > 0 ? w.m_pModelPage : nullptr;
    case 4:
        return series.m_nCFuncState > 0 && series.m_nModelState > 0 ? w.m_pProbPage : nullptr;
    default:
        return nullptr; // "Log Text" and "Summary" have no export
    }
}

void DispatchExport(CTessaricDlg& w, void (CDiagramPage::*handler)()) {
    w.TakeControls();
    if (w.m_nCurSeries < 0 && w.m_nCurPage < 0)
        return;
    CA1TimeSeries* series = w.CurrentSeries();
    if (!series || series->m_Samples.empty())
        return;
    if (CDiagramPage* page = ExportingPage(w, *series)) {
        w.HandCurrentSeriesTo(*page);
        (page->*handler)();
    }
    w.PutControls();
}

// Runs a page's command on the window's current series.
template <typename Page> void RunOnPage(CTessaricDlg& w, Page* page, void (Page::*handler)()) {
    w.TakeControls();
    if (page) {
        w.HandCurrentSeriesTo(*page);
        (page->*handler)();
    }
    w.PutControls();
}

void SelectTab(CTessaricDlg& w, std::int32_t nPage) {
    w.TakeControls();
    w.SelectTab(nPage);
    w.PutControls();
}

} // namespace

void RegisterDiagramCommands(CTessaricDlg& window) {
    CTessaricDlg* w = &window;
    CCommandRouter& commands = window.Commands();
    commands.Add(
        ID_ANALYZE_REEXTRACT,
        [w] { RunOnPage(*w, w->m_pA1TimePage, &CDDA1TimeDiagramDlg::OnReExtract); },
        [w] { return HasSelectedSeries(*w); });
    commands.Add(
        ID_ANALYZE_CHARFUNCTION,
        [w] { RunOnPage(*w, w->m_pA1TimePage, &CDDA1TimeDiagramDlg::OnCharactFunction); },
        [w] { return HasSelectedSeries(*w); });
    commands.Add(
        ID_ANALYZE_FIT_MODEL,
        [w] { RunOnPage(*w, w->m_pCFuncPage, &CDDCFuncDiagramDlg::OnFitModel); },
        [w] { return CanFit(*w); });
    commands.Add(
        ID_ANALYZE_PROBABILITY_PLOT, [w] { SelectTab(*w, kProbabilityTab); },
        [w] { return CanShowProbability(*w); });
    commands.Add(
        ID_ANALYZE_SUMMARY,
        [w] {
            SelectTab(*w, w->CurrentSeries()->HasModel() ? kSummaryTabWithModel
                                                         : kSummaryTabWithoutModel);
        },
        [w] { return CanShowSummary(*w); });
    commands.Add(
        ID_FILE_SAVE_REPORT,
        [w] { RunOnPage(*w, w->m_pSummaryPage, &CDDLogTextDlg::OnSaveReport); },
        [w] { return CanShowSummary(*w); });
    commands.Add(
        ID_FILE_EXPORT_IMAGE, [w] { DispatchExport(*w, &CDiagramPage::OnExportImage); },
        [w] { return CanExport(*w); });
    commands.Add(
        ID_FILE_EXPORT_TABLE, [w] { DispatchExport(*w, &CDiagramPage::OnExportDataTable); },
        [w] { return CanExport(*w); });
    commands.Add(
        ID_FILE_EXPORT_BINARY, [w] { DispatchExport(*w, &CDiagramPage::OnExportBinaryData); },
        [w] { return CanExport(*w); });
}
