#pragma once

#include "pages/CStabilityCheckPage.h"

// The tab "Charact. Func.": the characteristic function with the tolerance
// guide line, the direct stability check and the model fit.
class CDDCFuncDiagramDlg : public CStabilityCheckPage {
    Q_OBJECT

public:
    explicit CDDCFuncDiagramDlg(QWidget* parent = nullptr);

    void OnFitModel();

protected:
    void FillLines(const CA1TimeSeries& series) override;
    void CreateOwnControls() override;
    std::string StabilityText(const CA1TimeSeries& series) const override;
};
