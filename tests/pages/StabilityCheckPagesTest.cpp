#include "pages/CDDCFuncDiagramDlg.h"
#include "pages/CDDModelDiagramDlg.h"

#include "evaluation/SeriesEvaluation.h"
#include "pages/PageTestSupport.h"
#include "report/StabilityReport.h"

namespace {

enum : int {
    IDC_CFUNC_INFO = 1020,
    IDC_CFUNC_STABILITY = 1021,
    IDC_CFUNC_ENERGY = 1022,
    IDC_CFUNC_RESOLUTION = 1023,
    IDC_MODEL_INFO = 1025,
    IDC_MODEL_STABILITY = 1026,
    IDC_MODEL_ENERGY = 1027,
    IDC_MODEL_RESOLUTION = 1028,
};

class StabilityCheckPages : public PageTest {
protected:
    // The example series with its characteristic function and, when asked,
    // a model fitted with a fixed seed.
    CA1TimeSeries& EvaluatedSeries(bool bFit) {
        CA1TimeSeries& series = ExampleSeries();
        EvaluateSeries(series, EvaluationInputsFrom(params), bFit, 1);
        return series;
    }

    CDDCFuncDiagramDlg cfuncPage;
    CDDModelDiagramDlg modelPage;
};

bool AnyNonFinite(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        if (line.find("nan") != std::string::npos || line.find("inf") != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST_F(StabilityCheckPages, EnergyFieldsShowTheParametersAndDropTextThatWasNotApplied) {
    struct CASE {
        bool bWithParameters;
        double dEnergy;
        double dResolution;
        const char* energy;
        const char* resolution;
    };
    const CASE cases[] = {{true, 300.0, 1.0, "300.0", "1.00"},
                          {true, 200.0, 0.8, "200.0", "0.80"},
                          {false, 200.0, 0.8, "300.0", "1.00"}};
    for (const CASE& c : cases) {
        params.ElEnergykV = c.dEnergy;
        params.TargetResAng = c.dResolution;
        CDDCFuncDiagramDlg page;
        Attach(page, c.bWithParameters);
        EXPECT_EQ(Text(page, IDC_CFUNC_ENERGY), c.energy);
        EXPECT_EQ(Text(page, IDC_CFUNC_RESOLUTION), c.resolution);
        if (!c.bWithParameters)
            continue;
        Type(page, IDC_CFUNC_ENERGY, "120");
        Type(page, IDC_CFUNC_RESOLUTION, "2.5");
        page.ShowSeries(&ExampleSeries());
        EXPECT_EQ(Text(page, IDC_CFUNC_ENERGY), c.energy);
        EXPECT_EQ(Text(page, IDC_CFUNC_RESOLUTION), c.resolution);
    }
}

TEST_F(StabilityCheckPages, CharFunctionPageShowsItsLinesOrKeepsThemWithoutAFunction) {
    Attach(cfuncPage);
    CA1TimeSeries& series = EvaluatedSeries(false);
    cfuncPage.ShowSeries(&series);
    EXPECT_EQ(Text(cfuncPage, IDC_CFUNC_INFO).toStdString(), series.GetCFuncInfoText());
    EXPECT_EQ(Text(cfuncPage, IDC_CFUNC_STABILITY).toStdString(), series.GetLifetimeText());
    CA1TimeSeries bare;
    cfuncPage.ShowSeries(&bare);
    EXPECT_EQ(Text(cfuncPage, IDC_CFUNC_INFO).toStdString(), series.GetCFuncInfoText());
    cfuncPage.ShowSeries(nullptr);
    EXPECT_EQ(Text(cfuncPage, IDC_CFUNC_INFO), "No data.");
    EXPECT_EQ(Text(cfuncPage, IDC_CFUNC_STABILITY), "");
}

TEST_F(StabilityCheckPages, RefreshAppliesTheTypedEnergyAndResolution) {
    Attach(cfuncPage);
    CA1TimeSeries& series = EvaluatedSeries(false);
    cfuncPage.ShowSeries(&series);
    const QString lineBefore = Text(cfuncPage, IDC_CFUNC_STABILITY);
    const QImage before = cfuncPage.m_wndDiagram.Bitmap();
    Type(cfuncPage, IDC_CFUNC_ENERGY, "200");
    Type(cfuncPage, IDC_CFUNC_RESOLUTION, "0.8");
    Click(cfuncPage, "Refresh");
    EXPECT_EQ(params.ElEnergykV, 200.0);
    EXPECT_EQ(params.TargetResAng, 0.8);
    EXPECT_EQ(series.m_dElEnergy, 200.0);
    EXPECT_EQ(series.m_dTargetRes, 0.8);
    EXPECT_NE(Text(cfuncPage, IDC_CFUNC_STABILITY), lineBefore);
    EXPECT_EQ(Text(cfuncPage, IDC_CFUNC_STABILITY).toStdString(), series.GetLifetimeText());
    EXPECT_NE(cfuncPage.m_wndDiagram.Bitmap(), before); // the guide line moved
}

// The error state on the page and in the report; the parameters keep the
// last usable value, so the next start evaluates as before.
TEST_F(StabilityCheckPages, TextThatIsNoNumberGivesTheErrorStateAndKeepsTheParameter) {
    Attach(cfuncPage);
    Attach(modelPage);
    CA1TimeSeries& series = EvaluatedSeries(true);
    struct CASE {
        CStabilityCheckPage* page;
        int nEnergyId;
        int nStabilityId;
        const char* energy;
    };
    const CASE cases[] = {{&cfuncPage, IDC_CFUNC_ENERGY, IDC_CFUNC_STABILITY, "keV"},
                          {&modelPage, IDC_MODEL_ENERGY, IDC_MODEL_STABILITY, "nan"}};
    const double usable = params.ElEnergykV;
    for (const CASE& c : cases) {
        c.page->ShowSeries(&series);
        Type(*c.page, c.nEnergyId, c.energy);
        Click(*c.page, "Refresh");
        EXPECT_EQ(params.ElEnergykV, usable);
        EXPECT_EQ(Text(*c.page, c.nEnergyId), c.energy) << "the typed text stays";
        EXPECT_EQ(Text(*c.page, c.nStabilityId), "Error during evaluation.");
        const std::string report = BuildStabilityReport(series);
        EXPECT_NE(report.find("Estimated lifetime: error during evaluation"), std::string::npos);
        EXPECT_NE(report.find("astigmatism tolerance: error during evaluation"), std::string::npos);
        EXPECT_EQ(report.find(" 0.0 s"), std::string::npos) << report;
    }
    EXPECT_FALSE(AnyNonFinite(capture.Lines()));
    EXPECT_FALSE(AnyNonFinite({Text(modelPage, IDC_MODEL_INFO).toStdString()}));
}

TEST_F(StabilityCheckPages, FitModelLeadsToTabThreeAlsoWhenTheFitFails) {
    Attach(cfuncPage);
    // Too few points of the characteristic function for four parameters.
    CA1TimeSeries unfittable;
    for (std::int32_t k = 1; k <= 5; ++k)
        unfittable.m_CFuncData.push_back({k, 0.1 * k, 0.1 * k, 0.0, 0.0});
    unfittable.m_nCFuncState = 1;
    struct CASE {
        CA1TimeSeries* series;
        bool bFitted;
    };
    const CASE cases[] = {{&unfittable, false}, {&EvaluatedSeries(false), true}};
    for (const CASE& c : cases) {
        host.nRefreshes = 0;
        cfuncPage.ShowSeries(c.series);
        Type(cfuncPage, IDC_CFUNC_ENERGY, "200");
        Click(cfuncPage, "Fit Model");
        EXPECT_EQ(c.series->HasModel(), c.bFitted);
        EXPECT_EQ(c.series->m_nPage, 3);
        EXPECT_EQ(host.nRefreshes, 1);
        EXPECT_EQ(c.series->m_dElEnergy, 200.0);
    }
    EXPECT_TRUE(capture.Has(
        "ERROR: Model fit aborted: Insufficient number of characteristic function data."));
}

TEST_F(StabilityCheckPages, ModelPagesShowTheParametersAndShareTheEnergyTexts) {
    CDDModelDiagramDlg probPage;
    probPage.m_wndDiagram.Style().m_nType = ProbabilityPlot;
    Attach(modelPage);
    Attach(probPage);
    CA1TimeSeries& series = EvaluatedSeries(true);
    for (CDDModelDiagramDlg* page : {&modelPage, &probPage}) {
        page->ShowSeries(&series);
        EXPECT_EQ(Text(*page, IDC_MODEL_INFO).toStdString(), series.GetModelParameterText());
        EXPECT_EQ(Text(*page, IDC_MODEL_STABILITY).toStdString(), series.GetModelLifetimeText());
    }
    Type(modelPage, IDC_MODEL_RESOLUTION, "0.5");
    Click(modelPage, "Refresh");
    probPage.ShowSeries(&series);
    EXPECT_EQ(Text(probPage, IDC_MODEL_RESOLUTION), "0.50");

    CA1TimeSeries bare;
    modelPage.ShowSeries(&bare);
    EXPECT_EQ(Text(modelPage, IDC_MODEL_INFO), "No model fittted.");
    EXPECT_EQ(Text(modelPage, IDC_MODEL_STABILITY), "");
}

// Enter in either field applies the typed values, as "Refresh" does.
TEST_F(StabilityCheckPages, EnterInAFieldRefreshes) {
    Attach(cfuncPage);
    CA1TimeSeries& series = EvaluatedSeries(false);
    cfuncPage.ShowSeries(&series);
    const std::pair<int, double> fields[] = {{IDC_CFUNC_ENERGY, 200.0},
                                             {IDC_CFUNC_RESOLUTION, 0.8}};
    for (const auto& [id, value] : fields) {
        Type(cfuncPage, id, QString::number(value));
        QTest::keyClick(cfuncPage.findChild<QLineEdit*>(QString::number(id)), Qt::Key_Return);
    }
    EXPECT_EQ(params.ElEnergykV, 200.0);
    EXPECT_EQ(series.m_dTargetRes, 0.8);
}
