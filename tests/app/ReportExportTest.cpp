#include "app/CCompareSeriesDlg.h"
#include "app/MainMenu.h"
#include "app/WindowTestSupport.h"
#include "data/LogSimulator.h"
#include "evaluation/SeriesEvaluation.h"

#include <QAction>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

// The save dialog's filter chooses the format and the series; a name of its
// own extension keeps it; Cancel writes nothing.
TEST(ReportExport, FilterChoosesFormatAndSeries) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    EXPECT_FALSE(w.Commands().IsEnabled(ID_FILE_EXPORT_REPORT));
    t.Import("c1a1_two_recordings.log");
    ASSERT_EQ(w.m_SeriesList.size(), 2u);
    TempDir out;
    struct CASE {
        std::string strName;
        int nFilter;
        std::string strWritten;
        std::size_t nSeries; // sections of the HTML, pages of the PDF
    };
    const CASE cases[] = {
        {"all", 2, "all.html", 2},
        {"current", 1, "current.html", 1},
        {"current", 3, "current.pdf", 1},
        {"every.pdf", 2, "every.pdf", 2},
    };
    for (const CASE& c : cases) {
        t.dialogs.saveAnswers.push_back(FILEDIALOGRESULT{out.File(c.strName), c.nFilter});
        w.CommandAction(ID_FILE_EXPORT_REPORT)->trigger();
        const std::string bytes = ReadFileBytes(out.File(c.strWritten));
        if (c.strWritten.ends_with(".pdf")) {
            EXPECT_TRUE(bytes.starts_with("%PDF")) << c.strWritten;
            EXPECT_EQ(Count(bytes, "/Type /Page\n"), c.nSeries) << c.strWritten;
        } else {
            EXPECT_EQ(Count(bytes, "<h2>Series "), c.nSeries) << c.strWritten;
        }
    }
    ASSERT_EQ(t.dialogs.saveRequests.size(), 4u);
    EXPECT_EQ(t.dialogs.saveRequests[0].strFilter.substr(0, 45),
              "HTML Report of the Current Series (*.html)|*.");
    const std::size_t files = FilesIn(out.Path());
    w.CommandAction(ID_FILE_EXPORT_REPORT)->trigger();
    EXPECT_EQ(FilesIn(out.Path()), files);
}

// A check box per series; Compare fills the table and the two overlays,
// which Export Diagrams... saves under the chosen name with their suffixes.
TEST(CompareSeries, CheckedSeriesAreComparedAndExported) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    TempDir out;
    SIMULATIONSETTINGS settings;
    settings.nImages = 200;
    settings.nRecordings = 2;
    ASSERT_TRUE(WriteSimulatedLog(out.File("sim.log"), settings, nullptr));
    t.dialogs.openAnswers.push_back(FILEDIALOGRESULT{out.File("sim.log"), 1});
    QTest::mouseClick(w.m_btImport, Qt::LeftButton);
    ASSERT_EQ(w.m_SeriesList.size(), 2u);
    for (CA1TimeSeries& series : w.m_SeriesList)
        EvaluateSeries(series, EVALUATIONINPUTS{}, true, 1u);
    std::string table;
    t.dialogs.modalAnswers.push_back([&](QDialog& dialog) {
        auto& compare = dynamic_cast<CCompareSeriesDlg&>(dialog);
        EXPECT_EQ(compare.m_lstSeries->count(), 2);
        // the current series comes checked; the other one is checked here
        for (int i = 0; i < compare.m_lstSeries->count(); ++i)
            compare.m_lstSeries->item(i)->setCheckState(Qt::Checked);
        QTest::mouseClick(compare.m_btCompare, Qt::LeftButton);
        table = compare.m_edTable->toPlainText().toStdString();
        t.dialogs.saveAnswers.push_back(FILEDIALOGRESULT{out.File("both.png"), 2});
        QTest::mouseClick(compare.m_btExport, Qt::LeftButton);
        return int(QDialog::Accepted);
    });
    w.CommandAction(ID_ANALYZE_COMPARE)->trigger();
    EXPECT_TRUE(table.starts_with("Comparison of 2 series\n")) << table;
    EXPECT_NE(table.find("tessaric-cli compare"), std::string::npos);
    EXPECT_FALSE(ReadFileBytes(out.File("both-cfunc.png")).empty());
}
