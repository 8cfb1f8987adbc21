#include "app/WindowTestSupport.h"
#include "data/CA1TimeSeries.h"
#include "pages/CDDLogTextDlg.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

CA1TimeSeries SeriesWithLines(int count) {
    CA1TimeSeries series;
    series.m_strFileName = "/logs/run.log";
    series.m_nFirstLine = 10;
    series.m_nLastLine = 10 + count - 1;
    for (int i = 0; i < count; ++i)
        series.m_LogLines.push_back("line " + std::to_string(i));
    return series;
}

} // namespace

TEST(LogTextPage, KeepsTheScrollPositionForTheSameSeries) {
    EnsureApplication();
    CDDLogTextDlg page;
    page.Create();
    page.resize(page.TemplateSize());
    page.show();
    CA1TimeSeries first = SeriesWithLines(400);
    CA1TimeSeries second = SeriesWithLines(300);
    page.ShowSeries(&first);
    EXPECT_EQ(page.m_edLogFile->text().toStdString(), "/logs/run.log");
    EXPECT_EQ(page.m_edInfo->text().toStdString(),
              "Extracted from line #10 to line #409 (400 lines).");
    QScrollBar* bar = page.m_edText->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 50);
    bar->setValue(50);
    int nTextChanges = 0;
    QObject::connect(page.m_edText->document(), &QTextDocument::contentsChanged,
                     [&nTextChanges] { ++nTextChanges; });
    page.ShowSeries(&first);
    EXPECT_EQ(bar->value(), 50);
    EXPECT_EQ(nTextChanges, 0) << "the same lines are not set again";
    page.ForgetSeries();
    page.ShowSeries(&first);
    EXPECT_EQ(nTextChanges, 1) << "after a change of the list they are";
    page.ShowSeries(&second);
    EXPECT_EQ(bar->value(), 0);

    CA1TimeSeries single = SeriesWithLines(3);
    single.m_nLastLine = single.m_nFirstLine;
    page.ShowSeries(&single);
    EXPECT_EQ(page.m_edText->toPlainText().toStdString(), "line 0");
    page.ShowSeries(nullptr);
    EXPECT_EQ(page.m_edLogFile->text().toStdString(), "Unknown.");
    EXPECT_EQ(page.m_edInfo->text().toStdString(), "No data.");
    EXPECT_TRUE(page.m_edText->toPlainText().isEmpty());
    EXPECT_TRUE(page.m_edText->font().fixedPitch() ||
                QFontInfo(page.m_edText->font()).fixedPitch());
}

TEST(SummaryPage, ShowsTheReport) {
    EnsureApplication();
    CDDLogTextDlg page;
    page.m_nPageType = CDDLogTextDlg::kSummaryPage;
    page.Create();
    CA1TimeSeries series = SeriesWithLines(3);
    page.ShowSeries(&series);
    EXPECT_EQ(page.m_edInfo->text().toStdString(), "No evaluation data present.");
}
