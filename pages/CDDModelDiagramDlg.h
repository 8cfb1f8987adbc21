#pragma once

#include "pages/CStabilityCheckPage.h"

// The tabs "Fitted Model" (diagram type 4) and "Prob. Plot" (type 5): the
// model parameters and the model's stability check.
class CDDModelDiagramDlg : public CStabilityCheckPage {
    Q_OBJECT

public:
    explicit CDDModelDiagramDlg(QWidget* parent = nullptr);

protected:
    void FillLines(const CA1TimeSeries& series) override;
    std::string StabilityText(const CA1TimeSeries& series) const override;
};
