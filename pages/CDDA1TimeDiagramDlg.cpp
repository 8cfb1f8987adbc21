#include "pages/CDDA1TimeDiagramDlg.h"

#include "data/CA1TimeSeries.h"
#include "data/RotationLimit.h"
#include "evaluation/SeriesEvaluation.h"
#include "infra/CMainParameters.h"
#include "infra/CNumber.h"
#include "pages/IPageHost.h"
#include "pages/IUserDialogs.h"
#include "pages/PageControls.h"
#include "pages/SeriesJob.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

enum : int {
    IDC_ROTATION = 1011,
    IDC_MIRROR_Y = 1013,
    IDC_STATISTICS = 1014,
    IDC_REEXTRACT = 1015,
    IDC_CORRELATION = 1016,
    IDC_DISPLAY = 1018,
    IDC_CHARACT_FUNCTION = 1019,
    IDC_EXCLUDE_OUTLIERS = 1020,
};

// Template 133 without its placeholder 1017, which the diagram window takes.
const CONTROLROW kControls[] = {
    {ControlKind::Label, 0, "Series statistics:", 6, 6, 53, 8},
    {ControlKind::ReadOnlyLine, IDC_STATISTICS, nullptr, 66, 6, 330, 14},
    {ControlKind::ReadOnlyLine, IDC_CORRELATION, nullptr, 66, 24, 330, 14},
    {ControlKind::GroupBox, 0, "Display", 402, 42, 60, 33},
    {ControlKind::DropDownList, IDC_DISPLAY, nullptr, 408, 54, 48, 30},
    {ControlKind::GroupBox, 0, "Import", 402, 84, 60, 87},
    {ControlKind::Label, 0, "Rotation (deg)", 408, 98, 48, 8},
    {ControlKind::Edit, IDC_ROTATION, nullptr, 408, 108, 48, 14},
    {ControlKind::CheckBox, IDC_MIRROR_Y, "Mirror Y", 408, 132, 41, 10},
    {ControlKind::PushButton, IDC_REEXTRACT, "Re-Extract", 408, 149, 50, 14},
    // below the import group: the choice applies with "Re-Extract"
    {ControlKind::CheckBox, IDC_EXCLUDE_OUTLIERS, "Exclude Outliers", 402, 177, 60, 10},
    {ControlKind::MultiLineButton, IDC_CHARACT_FUNCTION, "Charact. Function...", 408, 204, 50, 30},
};

} // namespace

CDDA1TimeDiagramDlg::CDDA1TimeDiagramDlg(QWidget* parent) : CDiagramPage(parent) {}

void CDDA1TimeDiagramDlg::Create() {
    for (const CONTROLROW& row : kControls)
        CreateControl(*this, m_Units, row);
    m_pStatistics = findChild<QLineEdit*>(ControlName(IDC_STATISTICS));
    m_pCorrelation = findChild<QLineEdit*>(ControlName(IDC_CORRELATION));
    m_pDisplay = findChild<QComboBox*>(ControlName(IDC_DISPLAY));
    m_pRotation = findChild<QLineEdit*>(ControlName(IDC_ROTATION));
    m_pMirrorY = findChild<QCheckBox*>(ControlName(IDC_MIRROR_Y));
    m_pExcludeOutliers = findChild<QCheckBox*>(ControlName(IDC_EXCLUDE_OUTLIERS));
    m_pDisplay->addItems({QStringLiteral("A22-Time"), QStringLiteral("A22 (2D)")});
    FitFontToPlace(*m_pDisplay);
    resize(m_Units.Size(TemplateSize().width(), TemplateSize().height()));

    PutControls();
    CreateDiagramWindow(QStringLiteral("Astigmatism Diagrams"), 5001);
    SetDisplay(m_nDisplay);
    auto* reextract = findChild<QPushButton*>(ControlName(IDC_REEXTRACT));
    auto* charactFunction = findChild<QPushButton*>(ControlName(IDC_CHARACT_FUNCTION));
    charactFunction->setEnabled(true);
    connect(reextract, &QPushButton::clicked, this, &CDDA1TimeDiagramDlg::OnReExtract);
    // Enter in the rotation applies it, as "Re-Extract" does.
    connect(m_pRotation, &QLineEdit::returnPressed, this, &CDDA1TimeDiagramDlg::OnReExtract);
    connect(charactFunction, &QPushButton::clicked, this, &CDDA1TimeDiagramDlg::OnCharactFunction);
    // Only a choice of the user's counts; filling the list does not.
    connect(m_pDisplay, qOverload<int>(&QComboBox::activated), this,
            &CDDA1TimeDiagramDlg::OnDisplayChange);
}

void CDDA1TimeDiagramDlg::SetDisplay(std::int32_t nDisplay) {
    m_nDisplay = nDisplay == 1 ? 1 : 0;
    m_wndDiagram.Style().m_nType = m_nDisplay + 1;
}

void CDDA1TimeDiagramDlg::StoreDisplayChoice(CMainParameters& params) {
    params.DataDisplayType = DiagramType() - 1;
    m_nDisplay = params.DataDisplayType;
}

bool CDDA1TimeDiagramDlg::TakeControls() {
    if (!m_pDisplay)
        return true;
    m_bMirrorY = m_pMirrorY->isChecked() ? 1 : 0;
    m_bExcludeOutliers = m_pExcludeOutliers->isChecked();
    SetDisplay(m_pDisplay->currentIndex());
    m_strCorrelation = m_pCorrelation->text().toStdString();
    m_strStatistics = m_pStatistics->text().toStdString();
    double rotation = m_dRotation;
    const bool bNumber = ParseWholeNumber(m_pRotation->text().toStdString(), rotation);
    if (bNumber && IsAcceptedRotation(rotation)) {
        m_dRotation = rotation;
        return true;
    }
    if (m_pHost)
        m_pHost->Dialogs().ShowMessage(this, bNumber ? RotationRangeText() : "Enter a number.");
    m_pRotation->setFocus();
    m_pRotation->selectAll();
    return false;
}

void CDDA1TimeDiagramDlg::PutControls() {
    if (!m_pDisplay)
        return;
    m_pMirrorY->setChecked(m_bMirrorY != 0);
    m_pExcludeOutliers->setChecked(m_bExcludeOutliers);
    m_nDisplay = DiagramType() - 1;
    m_pDisplay->setCurrentIndex(m_nDisplay);
    m_pCorrelation->setText(QString::fromStdString(m_strCorrelation));
    m_pStatistics->setText(QString::fromStdString(m_strStatistics));
    // The general format with up to 15 significant digits: what was entered
    // comes back unchanged.
    m_pRotation->setText(QString::fromStdString(FormatC("%.15g", m_dRotation)));
}

void CDDA1TimeDiagramDlg::ShowSeries(CA1TimeSeries* series) {
    if (series) {
        m_wndDiagram.DrawSeries(series);
        m_wndDiagram.update();
        m_dRotation = series->m_dRotationDeg;
        m_bMirrorY = series->m_nMirrorY == -1 ? 1 : 0;
        m_bExcludeOutliers = series->m_bOutliersExcluded;
        series->GetStatisticsText(m_strStatistics, m_strCorrelation);
        m_pSeries = series;
        series->m_pLog = m_pLog;
    } else {
        // The diagram keeps its picture: the window shows no page without a
        // series.
        m_strCorrelation.clear();
        m_strStatistics = "No data";
        m_pSeries = nullptr;
    }
    PutControls();
}

void CDDA1TimeDiagramDlg::OnReExtract() {
    // A rotation that is not a number must not re-extract the series with
    // a value the user did not see.
    if (!TakeControls())
        return;
    if (m_pSeries) {
        m_pSeries->m_pLog = m_pLog;
        const std::int32_t mirror = m_bMirrorY ? -1 : 1;
        const double rotation = m_dRotation;
        const bool exclude = m_bExcludeOutliers;
        CA1TimeSeries* series = m_pSeries;
        RunOnSeriesCopy(
            m_pHost ? m_pHost->Runner() : nullptr, *series,
            QStringLiteral("Re-extracting the series..."), "Re-extraction",
            [mirror, rotation, exclude](CA1TimeSeries& copy, const EVALUATIONPROGRESS&) {
                return ReextractSeries(copy, mirror, rotation, exclude);
            },
            [this, series](bool) {
                if (m_pHost) {
                    m_pHost->RefreshTabs();
                    m_pHost->PutControls();
                    m_pHost->ShowNewLogRecords();
                }
                if (m_pSeries == series) {
                    ShowSeries(series);
                    m_wndDiagram.repaint();
                }
            });
    }
    PutControls();
}

void CDDA1TimeDiagramDlg::OnDisplayChange() {
    TakeControls();
    // Reloads rotation and mirror from the series: edits that were not
    // applied with "Re-Extract" are discarded.
    ShowSeries(m_pSeries);
    m_wndDiagram.repaint();
    PutControls();
}

void CDDA1TimeDiagramDlg::OnCharactFunction() {
    TakeControls();
    if (m_pSeries && m_pMainParams) {
        m_pSeries->m_pLog = m_pLog;
        const EVALUATIONINPUTS inputs = EvaluationInputsFrom(*m_pMainParams);
        CA1TimeSeries* series = m_pSeries;
        RunOnSeriesCopy(
            m_pHost ? m_pHost->Runner() : nullptr, *series,
            QStringLiteral("Evaluating the characteristic function..."),
            "Evaluation of the characteristic function",
            [inputs](CA1TimeSeries& copy, const EVALUATIONPROGRESS& progress) {
                return EvaluateCharFunctionAndLifetime(copy, inputs, progress);
            },
            [this, series](bool bEvaluated) {
                if (bEvaluated)
                    series->m_nPage = 2;
                if (m_pHost) {
                    if (bEvaluated) {
                        m_pHost->RefreshTabs();
                        m_pHost->PutControls();
                    }
                    m_pHost->ShowNewLogRecords();
                }
            });
    }
    PutControls();
}
