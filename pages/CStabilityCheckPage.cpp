#include "pages/CStabilityCheckPage.h"

#include "data/CA1TimeSeries.h"
#include "evaluation/SeriesEvaluation.h"
#include "infra/CMainParameters.h"
#include "infra/CNumber.h"
#include "pages/CLongCommand.h"
#include "pages/PageControls.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int IDC_REFRESH = 1019;

QLineEdit* LineEdit(QWidget& page, int nId) {
    return page.findChild<QLineEdit*>(ControlName(nId));
}

} // namespace

CStabilityCheckPage::CStabilityCheckPage(const STABILITYCHECKLAYOUT& layout, QWidget* parent)
    : CDiagramPage(parent), m_Layout(layout) {}

void CStabilityCheckPage::Create() {
    const STABILITYCHECKLAYOUT& l = m_Layout;
    const CONTROLROW controls[] = {
        {ControlKind::Label, 0, l.pszInfoLabel, 6, 6, 58, 12},
        {ControlKind::ReadOnlyLine, l.nInfoId, nullptr, 66, 6, 330, 14},
        {ControlKind::Label, 0, "Stability", 6, 24, 57, 12},
        {ControlKind::ReadOnlyLine, l.nStabilityId, nullptr, 66, 24, 330, 14},
        {ControlKind::GroupBox, 0, "Stability Check", 402, 42, 60, 114},
        {ControlKind::Label, 0, "El. energy [keV]", 408, 60, l.nEnergyLabelWidth, 8},
        {ControlKind::Edit, l.nEnergyId, nullptr, 408, 72, 48, 14},
        {ControlKind::Label, 0, "Resolution [A]", 408, 96, 46, 8},
        {ControlKind::Edit, l.nResolutionId, nullptr, 408, 108, 48, 14},
        {ControlKind::PushButton, IDC_REFRESH, "Refresh", 407, 132, 50, 14},
    };
    for (const CONTROLROW& row : controls)
        CreateControl(*this, m_Units, row);
    CreateOwnControls();
    m_pInfo = LineEdit(*this, l.nInfoId);
    m_pStability = LineEdit(*this, l.nStabilityId);
    m_pEnergy = LineEdit(*this, l.nEnergyId);
    m_pResolution = LineEdit(*this, l.nResolutionId);
    connect(findChild<QPushButton*>(ControlName(IDC_REFRESH)), &QPushButton::clicked, this,
            &CStabilityCheckPage::OnRefresh);
    // Enter in a field applies what was typed, as "Refresh" does.
    connect(m_pEnergy, &QLineEdit::returnPressed, this, &CStabilityCheckPage::OnRefresh);
    connect(m_pResolution, &QLineEdit::returnPressed, this, &CStabilityCheckPage::OnRefresh);
    resize(m_Units.Size(TemplateSize().width(), TemplateSize().height()));

    if (m_pMainParams) {
        LoadEnergyTexts();
    } else {
        m_strEnergy = "300.0";
        m_strResolution = "1.00";
    }
    PutControls();
    CreateDiagramWindow(QString::fromUtf8(l.pszDiagramName), l.nDiagramId);
}

void CStabilityCheckPage::TakeControls() {
    if (!m_pInfo)
        return;
    m_strInfo = m_pInfo->text().toStdString();
    m_strStability = m_pStability->text().toStdString();
    m_strEnergy = m_pEnergy->text().toStdString();
    m_strResolution = m_pResolution->text().toStdString();
}

void CStabilityCheckPage::PutControls() {
    if (!m_pInfo)
        return;
    m_pInfo->setText(QString::fromStdString(m_strInfo));
    m_pStability->setText(QString::fromStdString(m_strStability));
    m_pEnergy->setText(QString::fromStdString(m_strEnergy));
    m_pResolution->setText(QString::fromStdString(m_strResolution));
}

void CStabilityCheckPage::LoadEnergyTexts() {
    if (!m_pMainParams)
        return;
    m_strEnergy = FormatC("%.1f", m_pMainParams->ElEnergykV);
    m_strResolution = FormatC("%.2f", m_pMainParams->TargetResAng);
}

EVALUATIONINPUTS CStabilityCheckPage::ApplyEnergyTexts() {
    // Text that is no number gives 0; the tolerance built from it is
    // refused by the lifetime evaluation, whose state the page then shows.
    EVALUATIONINPUTS inputs = EvaluationInputsFrom(*m_pMainParams);
    inputs.dEnergykV = ParseFieldNumber(m_strEnergy);
    inputs.dResolutionAng = ParseFieldNumber(m_strResolution);
    if (IsUsableEnergyOrResolution(inputs.dEnergykV))
        m_pMainParams->ElEnergykV = inputs.dEnergykV;
    if (IsUsableEnergyOrResolution(inputs.dResolutionAng))
        m_pMainParams->TargetResAng = inputs.dResolutionAng;
    return inputs;
}

void CStabilityCheckPage::ShowSeries(CA1TimeSeries* series) {
    LoadEnergyTexts();
    if (series) {
        m_pSeries = series;
        series->m_pLog = m_pLog;
        m_wndDiagram.DrawSeries(series);
        m_wndDiagram.update();
        FillLines(*series);
    } else {
        m_strInfo = "No data.";
        m_strStability.clear();
        m_pSeries = nullptr;
    }
    PutControls();
}

void CStabilityCheckPage::RunWithEnergyTexts(
    const std::function<void(CA1TimeSeries&, const EVALUATIONINPUTS&)>& evaluate) {
    TakeControls();
    if (m_pSeries && m_pMainParams) {
        m_pSeries->m_pLog = m_pLog;
        CLongCommand busy(m_pHost);
        evaluate(*m_pSeries, ApplyEnergyTexts());
    }
    PutControls();
}

void CStabilityCheckPage::OnRefresh() {
    RunWithEnergyTexts([this](CA1TimeSeries& series, const EVALUATIONINPUTS& inputs) {
        RefreshLifetimes(series, inputs);
        RedrawDiagram();
        m_strStability = StabilityText(series);
    });
}
