#pragma once

#include "pages/CDiagramPage.h"

#include <functional>
#include <string>

struct EVALUATIONINPUTS;

class QLineEdit;

// The ids and texts in which the characteristic function page and the
// fitted model pages differ; the rest of their templates is the same.
struct STABILITYCHECKLAYOUT {
    const char* pszInfoLabel;
    int nInfoId;
    int nStabilityId;
    int nEnergyId;
    int nResolutionId;
    int nEnergyLabelWidth;
    const char* pszDiagramName;
    int nDiagramId;
};

// A diagram page with a first info line, the stability line and the
// "Stability Check" group: electron energy and resolution as free text and
// "Refresh", which evaluates the lifetimes again for them.
class CStabilityCheckPage : public CDiagramPage {
    Q_OBJECT

public:
    CStabilityCheckPage(const STABILITYCHECKLAYOUT& layout, QWidget* parent);

    void Create() override;
    QSize TemplateSize() const override { return {464, 260}; }

    void ShowSeries(CA1TimeSeries* series) override;
    void OnRefresh();

    void TakeControls();
    void PutControls();

    std::string m_strInfo;
    std::string m_strStability;
    std::string m_strEnergy;
    std::string m_strResolution;

protected:
    // The page's own controls beyond the common ones (created after them).
    virtual void CreateOwnControls() {}
    // The two lines for a series that the page shows.
    virtual void FillLines(const CA1TimeSeries& series) = 0;
    // The stability line that "Refresh" shows.
    virtual std::string StabilityText(const CA1TimeSeries& series) const = 0;
    // The edit texts from the program parameters: what is typed but not
    // applied is replaced.
    void LoadEnergyTexts();
    // The evaluation inputs with the typed energy and resolution; each typed
    // value that is usable also becomes the program parameter, an unusable
    // one leaves the parameter at its last usable value (the evaluation
    // with it then shows the error). Needs a parameter set.
    EVALUATIONINPUTS ApplyEnergyTexts();
    // "Take, act, put" of the stability commands: with a current series and
    // a parameter set, runs `evaluate` for the typed energy and resolution.
    void RunWithEnergyTexts(
        const std::function<void(CA1TimeSeries&, const EVALUATIONINPUTS&)>& evaluate);

private:
    const STABILITYCHECKLAYOUT& m_Layout;
    QLineEdit* m_pInfo = nullptr;
    QLineEdit* m_pStability = nullptr;
    QLineEdit* m_pEnergy = nullptr;
    QLineEdit* m_pResolution = nullptr;
};
