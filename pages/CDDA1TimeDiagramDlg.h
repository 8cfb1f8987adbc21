#pragma once

#include "pages/CDiagramPage.h"

#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

// The tab "A22-Time Graph": the series as A22-x and A22-y over time or as
// A22-y over A22-x, its statistics, and the re-extraction and the
// characteristic function commands.
class CDDA1TimeDiagramDlg : public CDiagramPage {
    Q_OBJECT

public:
    explicit CDDA1TimeDiagramDlg(QWidget* parent = nullptr);

    void Create() override;
    QSize TemplateSize() const override { return {465, 260}; }

    void ShowSeries(CA1TimeSeries* series) override;

    // Display 0 "A22-Time" (diagram type 1) or 1 "A22 (2D)" (type 2); any
    // other value, say from an edited "Setup.prm", is taken as 0.
    void SetDisplay(std::int32_t nDisplay);
    void StoreDisplayChoice(CMainParameters& params) override;
    std::int32_t DiagramType() const { return m_wndDiagram.Style().m_nType; }

    void OnReExtract();
    void OnDisplayChange();
    void OnCharactFunction();

    // The data exchange: the controls into the members (false, after the
    // field has asked for a number, when the rotation is not one; the
    // rotation then keeps its value) and the members into the controls.
    bool TakeControls();
    void PutControls();

    std::int32_t m_bMirrorY = 0;
    // "Exclude Outliers": the next "Re-Extract" leaves flagged samples out.
    bool m_bExcludeOutliers = false;
    std::int32_t m_nDisplay = 0;
    std::string m_strCorrelation;
    std::string m_strStatistics;
    double m_dRotation = 0.0;

private:
    QCheckBox* m_pMirrorY = nullptr;
    QCheckBox* m_pExcludeOutliers = nullptr;
    QComboBox* m_pDisplay = nullptr;
    QLineEdit* m_pCorrelation = nullptr;
    QLineEdit* m_pStatistics = nullptr;
    QLineEdit* m_pRotation = nullptr;
};
