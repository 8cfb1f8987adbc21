#include "pages/CDDModelDiagramDlg.h"

#include "data/CA1TimeSeries.h"

namespace {

// Both instances share the diagram window's name and id.
const STABILITYCHECKLAYOUT kLayout{"Model parameters", 1025, 1026, 1027, 1028, 51,
                                   "Model Function",   5003};

} // namespace

CDDModelDiagramDlg::CDDModelDiagramDlg(QWidget* parent) : CStabilityCheckPage(kLayout, parent) {
    m_wndDiagram.Style().m_nType = FittedModel;
}

std::string CDDModelDiagramDlg::StabilityText(const CA1TimeSeries& series) const {
    return series.GetModelLifetimeText();
}

void CDDModelDiagramDlg::FillLines(const CA1TimeSeries& series) {
    if (series.HasModel()) {
        m_strInfo = series.GetModelParameterText();
        m_strStability = series.GetModelLifetimeText();
    } else {
        m_strInfo = "No model fittted.";
        m_strStability.clear();
    }
}
