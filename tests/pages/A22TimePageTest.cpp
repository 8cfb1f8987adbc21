#include "pages/CDDA1TimeDiagramDlg.h"

#include "data/ORVEXLogReader.h"
#include "evaluation/SeriesEvaluation.h"
#include "pages/PageTestSupport.h"

#include <QCheckBox>
#include <QComboBox>

namespace {

enum : int { IDC_ROTATION = 1011, IDC_STATISTICS = 1014, IDC_CORRELATION = 1016 };

// Samples on the line y = x, as after an extraction with `rotationDeg`.
CA1TimeSeries DiagonalSeries(double rotationDeg) {
    CA1TimeSeries series;
    for (std::int32_t k = 1; k <= 5; ++k)
        series.m_Samples.push_back({k, 0.5 * k, 0.5 * k, 0.0, 0.0});
    series.m_dRotationDeg = rotationDeg;
    series.m_nMirrorY = -1;
    return series;
}

class A22TimePage : public PageTest {
protected:
    CDDA1TimeDiagramDlg page;
};

} // namespace

TEST_F(A22TimePage, ShowsTheStatisticsAndTheTotalRotationOfLeastCorrelation) {
    Attach(page);
    CA1TimeSeries diagonal = DiagonalSeries(10.0);
    page.ShowSeries(&diagonal);
    EXPECT_TRUE(Text(page, IDC_STATISTICS).startsWith("(A22x,A22y) Avg: (1.50, 1.50) nm"));
    EXPECT_TRUE(Text(page, IDC_STATISTICS).endsWith("x-y-corr: 1.000"));
    // The least correlated rotation of a line y = x lies at 45 degrees; the
    // series was extracted with 10.
    EXPECT_EQ(Text(page, IDC_CORRELATION), "Minimum correlation with 55.0 deg rotation (1.000).");
    EXPECT_EQ(Text(page, IDC_ROTATION), "10");
    EXPECT_TRUE(page.findChild<QCheckBox*>("1013")->isChecked());
    EXPECT_EQ(page.m_pSeries, &diagonal);
    EXPECT_EQ(diagonal.m_pLog, &capture.log);

    page.ShowSeries(nullptr);
    EXPECT_EQ(Text(page, IDC_STATISTICS), "No data");
    EXPECT_EQ(Text(page, IDC_CORRELATION), "");
    EXPECT_EQ(page.m_pSeries, nullptr);
}

TEST_F(A22TimePage, DisplaySwitchRedrawsAtOnceAndDropsAnUnappliedRotation) {
    Attach(page);
    page.ShowSeries(&ExampleSeries());
    const QImage before = page.m_wndDiagram.Bitmap();
    Type(page, IDC_ROTATION, "25");
    auto* display = page.findChild<QComboBox*>("1018");
    ASSERT_EQ(display->count(), 2);
    EXPECT_EQ(display->itemText(0), "A22-Time");
    EXPECT_EQ(display->itemText(1), "A22 (2D)");
    QTest::keyClick(display, Qt::Key_Down);
    EXPECT_EQ(page.DiagramType(), A22Plane);
    EXPECT_EQ(page.m_nDisplay, 1);
    EXPECT_NE(page.m_wndDiagram.Bitmap(), before);
    EXPECT_EQ(Text(page, IDC_ROTATION), "0");
}

TEST_F(A22TimePage, ReExtractAppliesMirrorAndRotationOrRefusesARotationThatIsNoNumber) {
    Attach(page);
    CA1TimeSeries& series = ExampleSeries();
    EvaluateCharFunctionAndLifetime(series, EvaluationInputsFrom(params));
    series.m_nPage = 2;
    page.ShowSeries(&series);
    QTest::mouseClick(page.findChild<QCheckBox*>("1013"), Qt::LeftButton);
    Type(page, IDC_ROTATION, "10");
    Click(page, "Re-Extract");
    EXPECT_EQ(series.m_nMirrorY, -1);
    EXPECT_EQ(series.m_dRotationDeg, 10.0);
    EXPECT_FALSE(series.HasCharFunction()); // the tabs shrink to two
    EXPECT_EQ(series.m_nPage, 1);
    EXPECT_EQ(host.nRefreshes, 1);
    EXPECT_TRUE(capture.Has("- y-mirror flag: -1, x-y-plane rotation: 10.0 deg"));

    Type(page, IDC_ROTATION, "12abc");
    Click(page, "Re-Extract");
    EXPECT_EQ(host.dialogs.messages, std::vector<std::string>{"Enter a number."});
    EXPECT_EQ(series.m_dRotationDeg, 10.0);
    EXPECT_EQ(host.nRefreshes, 1);
    EXPECT_EQ(Text(page, IDC_ROTATION), "12abc"); // left for the user to correct
}

TEST_F(A22TimePage, CharactFunctionEvaluatesOrLeavesTheTabsOfATooShortSeries) {
    Attach(page);
    CA1TimeSeries shortSeries = DiagonalSeries(0.0);
    struct CASE {
        CA1TimeSeries* series;
        bool bEvaluated;
    };
    const CASE cases[] = {{&shortSeries, false}, {&ExampleSeries(), true}};
    for (const CASE& c : cases) {
        host.nRefreshes = 0;
        page.ShowSeries(c.series);
        Click(page, "Charact. Function...");
        EXPECT_EQ(c.series->HasCharFunction(), c.bEvaluated);
        EXPECT_EQ(c.series->m_nPage, c.bEvaluated ? 2 : 1);
        EXPECT_EQ(host.nRefreshes, c.bEvaluated ? 1 : 0);
        EXPECT_EQ(c.series->m_dElEnergy, c.bEvaluated ? 300.0 : 0.0);
    }
}

TEST_F(A22TimePage, CommandsWithoutASeriesOnlyExchangeTheControls) {
    Attach(page);
    Click(page, "Re-Extract");
    Click(page, "Charact. Function...");
    EXPECT_EQ(host.nRefreshes, 0);
    EXPECT_TRUE(capture.Lines().empty());
}

// A corrupt value far beyond any measurement: the import names its line,
// and the statistics say that they cannot be given instead of printing
// hundreds of digits, inf or nan. Both log formats, and values that overflow
// the sums as well as values that merely print too long.
TEST_F(A22TimePage, ValuesTooLargeAreNamedAndNoFieldShowsNonsense) {
    Attach(page);
    struct CASE {
        const char* file;
        std::string content;
        bool bOrvex;
    };
    std::string orvex = "img a22x err(a22x) a22y err(a22y) filetime\n";
    for (int i = 1; i <= 40; ++i)
        orvex += std::to_string(i) + (i == 5 ? " 1e20" : " 1.0") + " 0.1 2.0 0.2 " +
                 std::to_string(1000 + 2 * i) + "\n";
    const CASE cases[] = {{"huge.log", GeneratedC1A1Log(0, 400, 200, 50), false},
                          {"large.dat", orvex, true}};
    for (const CASE& c : cases) {
        TempDir dir;
        WriteFileBytes(dir.File(c.file), c.content);
        CA1SeriesList list;
        const int added = c.bOrvex ? ImportORVEXLog(dir.File(c.file), capture.log, 1, 0.0, list)
                                   : ImportC1A1Log(dir.File(c.file), capture.log, 1, 0.0, list);
        ASSERT_EQ(added, 1) << c.file;
        EXPECT_TRUE(capture.HasPrefix(c.bOrvex ? "Warning: The astigmatism value of image #5 is "
                                                 "too large to be a measurement"
                                               : "Warning: The astigmatism value of image #50 is "
                                                 "too large to be a measurement"))
            << c.file;
        page.ShowSeries(&list[0]);
        const QString statistics = Text(page, IDC_STATISTICS);
        EXPECT_TRUE(statistics.contains("too large")) << statistics.toStdString();
        for (const char* nonsense : {"inf", "nan"})
            EXPECT_FALSE(statistics.contains(nonsense)) << statistics.toStdString();
        EXPECT_EQ(Text(page, IDC_CORRELATION), "");
        page.ShowSeries(nullptr);
    }
}
