#include "pages/CDDCFuncDiagramDlg.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/SeriesEvaluation.h"
#include "pages/IPageHost.h"
#include "pages/PageControls.h"
#include "pages/SeriesJob.h"

#include <QPushButton>

namespace {

constexpr int IDC_FIT_MODEL = 1024;

const STABILITYCHECKLAYOUT kLayout{"Charact. function",       1020, 1021, 1022, 1023, 52,
                                   "Characteristic Function", 5002};

} // namespace

CDDCFuncDiagramDlg::CDDCFuncDiagramDlg(QWidget* parent) : CStabilityCheckPage(kLayout, parent) {
    m_wndDiagram.Style().m_nType = CharFunction;
}

void CDDCFuncDiagramDlg::CreateOwnControls() {
    auto* fit = static_cast<QPushButton*>(CreateControl(
        *this, m_Units, {ControlKind::PushButton, IDC_FIT_MODEL, "Fit Model", 408, 204, 50, 30}));
    connect(fit, &QPushButton::clicked, this, &CDDCFuncDiagramDlg::OnFitModel);
}

std::string CDDCFuncDiagramDlg::StabilityText(const CA1TimeSeries& series) const {
    return series.GetLifetimeText();
}

void CDDCFuncDiagramDlg::FillLines(const CA1TimeSeries& series) {
    // Without a characteristic function both lines keep what they said.
    if (series.HasCharFunction()) {
        m_strInfo = series.GetCFuncInfoText();
        m_strStability = series.GetLifetimeText();
    }
}

void CDDCFuncDiagramDlg::OnFitModel() {
    RunWithEnergyTexts([this](CA1TimeSeries& series, const EVALUATIONINPUTS& inputs) {
        CA1TimeSeries* target = &series;
        RunOnSeriesCopy(
            m_pHost ? m_pHost->Runner() : nullptr, series, QStringLiteral("Fitting the model..."),
            "Model fit",
            [inputs](CA1TimeSeries& copy, const EVALUATIONPROGRESS& progress) {
                return FitModelAndLifetime(copy, inputs, std::nullopt, progress);
            },
            [this, target](bool) {
                // A failed fit leaves "Summary" at tab 3, so the summary with
                // the fit's state comes up instead of the model.
                target->m_nPage = 3;
                if (m_pHost) {
                    m_pHost->RefreshTabs();
                    m_pHost->PutControls();
                    m_pHost->ShowNewLogRecords();
                }
            });
    });
}
