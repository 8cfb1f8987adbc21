#include "app/MainMenu.h"
#include "app/WindowArguments.h"
#include "app/WindowTestSupport.h"
#include "infra/Version.h"
#include "pages/CDDA1TimeDiagramDlg.h"
#include "pages/CDDCFuncDiagramDlg.h"
#include "pages/CDDLogTextDlg.h"
#include "platform/DataFolder.h"

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

void SelectSeries(CTessaricDlg& window, int index) {
    // the user's choice in the list: arrow keys on the closed drop-down
    while (window.m_cbSeries->currentIndex() > index)
        QTest::keyClick(window.m_cbSeries, Qt::Key_Up);
    while (window.m_cbSeries->currentIndex() < index)
        QTest::keyClick(window.m_cbSeries, Qt::Key_Down);
}

void ClickTab(CTessaricDlg& window, int index) {
    QTabBar* tabs = window.m_TabCtrl;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
}

} // namespace

TEST(MainWindow, FirstStartLogsTheVersionAndSavesTheSettingsAtTheEnd) {
    EnsureApplication();
    const std::string folder = FindProgramDataFolder("tessaric-first-start");
    ASSERT_FALSE(folder.empty());
    std::filesystem::remove_all(folder);
    const std::string created = FindProgramDataFolder("tessaric-first-start");
    ASSERT_TRUE(std::filesystem::is_directory(created));
    {
        CMemoryProfileStore profile;
        CScriptedUserDialogs dialogs;
        CTessaricDlg window(created, "", &profile, dialogs);
        EXPECT_FALSE(std::filesystem::exists(created + "/Setup.prm"));
        window.show();
        window.close(); // the close box
        EXPECT_TRUE(std::filesystem::exists(created + "/Setup.prm"));
        EXPECT_TRUE(profile.ReadInt("Main Parameters", "MinDiversity").has_value());
    }
    const std::vector<std::string> lines = SplitCrLf(ReadFileBytes(created + "/Log.txt"));
    ASSERT_GE(lines.size(), 4u);
    // every record begins with its line break; the first is the empty one
    EXPECT_EQ(lines[1].substr(19), ": ");
    EXPECT_EQ(lines[2].substr(21),
              std::string("Tessaric - Version ") + kTessaricVersionText + " started.");
    EXPECT_EQ(lines[lines.size() - 2].substr(21), "Program Aborted.");
    std::filesystem::remove_all(created);
}

TEST(MainWindow, ImportingTheFirstSeriesShowsItsA22TimePage) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    EXPECT_FALSE(w.m_TabCtrl->isEnabled());
    EXPECT_FALSE(w.m_btDelete->isEnabled());
    t.window->m_Params.ImportType = 2;
    t.Import("c1a1_worked_example.log", 1);
    ASSERT_EQ(t.dialogs.openRequests.size(), 1u);
    EXPECT_EQ(t.dialogs.openRequests[0].strFilter,
              "CEOS C1A1 log file (*.html;*.txt;*.log)|*.html; *.txt; *.log|"
              "ORVEXStab log file (*.dat;*.txt)|*.dat; *.txt||");
    EXPECT_EQ(t.dialogs.openRequests[0].nFilterIndex, 2);
    EXPECT_EQ(w.m_Params.ImportType, 1);
    EXPECT_EQ(w.m_Params.ImportPath, FixturePath(""));
    ASSERT_EQ(w.m_cbSeries->count(), 1);
    EXPECT_EQ(w.m_cbSeries->itemText(0).toStdString(), "#001: 3 samples, 60 s (0.05 Hz)");
    EXPECT_TRUE(w.m_TabCtrl->isEnabled());
    EXPECT_TRUE(w.m_btDelete->isEnabled());
    EXPECT_EQ(t.TabTexts(), (std::vector<std::string>{"Log Text", "A22-Time Graph"}));
    EXPECT_EQ(t.VisiblePage(), static_cast<CTessaricPage*>(w.m_pA1TimePage));
    EXPECT_EQ(w.m_pA1TimePage->m_pSeries, &w.m_SeriesList[0]);

    // a zero duration prints what the C format makes of the quotient
    w.m_SeriesList[0].m_nStopTime = w.m_SeriesList[0].m_nStartTime;
    w.RefreshSeriesList();
    EXPECT_EQ(w.m_cbSeries->itemText(0).toStdString(), "#001: 3 samples, 0 s (inf Hz)");

    // cancelled dialog and a file that cannot be opened change nothing
    QTest::mouseClick(w.m_btImport, Qt::LeftButton);
    t.Import("no_such_file.log");
    EXPECT_EQ(w.m_cbSeries->count(), 1);
    EXPECT_TRUE(Contains(t.LogTexts(),
                         "ERROR: Failed to open file [" + FixturePath("no_such_file.log") + "]."));
}

TEST(MainWindow, DeleteMakesThePreviousSeriesCurrent) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    t.Import("c1a1_two_recordings.log");
    t.Import("orvex_worked_example.dat", 2);
    ASSERT_EQ(w.m_cbSeries->count(), 3);
    SelectSeries(w, 1);
    EXPECT_EQ(w.m_nCurSeries, 1);
    QTest::mouseClick(w.m_btDelete, Qt::LeftButton);
    EXPECT_EQ(w.m_cbSeries->count(), 2);
    EXPECT_EQ(w.m_cbSeries->currentIndex(), 0);
    // the item numbers follow the positions
    EXPECT_TRUE(w.m_cbSeries->itemText(1).startsWith(QStringLiteral("#002:")));
    QTest::mouseClick(w.m_btDelete, Qt::LeftButton);
    EXPECT_EQ(w.m_cbSeries->count(), 1);
    EXPECT_EQ(w.m_nCurSeries, 0);
    // no page keeps a series that left the list
    for (CTessaricPage* page : w.Pages())
        EXPECT_TRUE(page->m_pSeries == nullptr || page->m_pSeries == &w.m_SeriesList[0]);
    // a command's page gets the current series first
    w.HandCurrentSeriesTo(*w.m_pCFuncPage);
    EXPECT_EQ(w.m_pCFuncPage->m_pSeries, &w.m_SeriesList[0]);
}

TEST(MainWindow, DeleteAllAsksFirst) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    t.Import("c1a1_two_recordings.log");
    t.dialogs.yesNoAnswers = {false, true};
    QTest::mouseClick(w.m_btDeleteAll, Qt::LeftButton);
    ASSERT_EQ(t.dialogs.questions.size(), 1u);
    EXPECT_EQ(t.dialogs.questions[0].first, "Warning");
    EXPECT_EQ(t.dialogs.questions[0].second,
              "1) All time-astigmatism series will be unloaded.\r\n2) All evaluation data will "
              "be lost.\r\n\r\nDo you really want to do this?");
    EXPECT_EQ(w.m_cbSeries->count(), 2);
    QTest::mouseClick(w.m_btDeleteAll, Qt::LeftButton);
    EXPECT_EQ(w.m_cbSeries->count(), 0);
    EXPECT_FALSE(w.m_cbSeries->isEnabled());
    EXPECT_FALSE(w.m_btDelete->isEnabled());
    EXPECT_FALSE(w.m_btDeleteAll->isEnabled());
    EXPECT_EQ(w.m_TabCtrl->count(), 0);
    EXPECT_EQ(t.VisiblePage(), nullptr);
}

TEST(MainWindow, EachSeriesBringsBackItsTab) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    t.Import("c1a1_worked_example.log");
    t.Import("orvex_worked_example.dat", 2);
    // the ORVEX series (current) has a characteristic function
    w.m_SeriesList[1].m_CFuncData.push_back(A1SAMPLE{1, 0.1, 0.1, 0.0, 0.0});
    w.m_SeriesList[1].m_nCFuncState = 1;
    w.RefreshTabs();
    EXPECT_EQ(t.TabTexts(), (std::vector<std::string>{"Log Text", "A22-Time Graph",
                                                      "Charact. Func.", "Summary"}));
    ClickTab(w, 3);
    EXPECT_EQ(t.VisiblePage(), w.m_pSummaryPage);
    EXPECT_EQ(w.m_pSummaryPage->m_strInfo, "Results of the direct evaluation method.");
    SelectSeries(w, 0);
    EXPECT_EQ(t.TabTexts(), (std::vector<std::string>{"Log Text", "A22-Time Graph"}));
    EXPECT_EQ(t.VisiblePage(), static_cast<CTessaricPage*>(w.m_pA1TimePage));
    ClickTab(w, 0);
    EXPECT_EQ(t.VisiblePage(), w.m_pLogTextPage);
    SelectSeries(w, 1);
    EXPECT_EQ(w.m_TabCtrl->currentIndex(), 3);
    EXPECT_EQ(t.VisiblePage(), w.m_pSummaryPage);
    SelectSeries(w, 0);
    EXPECT_EQ(t.VisiblePage(), w.m_pLogTextPage);
    // the page lies in the tab's display area
    EXPECT_TRUE(
        w.m_pTabFrame->geometry().adjusted(-1, 0, 0, 0).contains(w.m_pLogTextPage->geometry()));
}

TEST(MainWindow, EscapeAndEnterKeepTheWindowQuitEndsIt) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    w.show();
    QTest::keyClick(&w, Qt::Key_Escape);
    QTest::keyClick(&w, Qt::Key_Return);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(Contains(t.LogTexts(), "Program Quit."));
    w.CommandAction(ID_FILE_QUIT)->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
    const std::vector<std::string> texts = t.LogTexts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[texts.size() - 2], "Program Quit.");
    EXPECT_TRUE(std::filesystem::exists(t.dataDir.File("Setup.prm")));
}

TEST(MainWindow, TimerFeedsThePaneAndWelcomesOnce) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    EXPECT_TRUE(w.m_edLog->toPlainText().isEmpty());
    w.OnTimer();
    EXPECT_TRUE(w.m_edLog->toPlainText().contains(QStringLiteral("started.")));
    EXPECT_EQ(t.dialogs.modalTitles, std::vector<std::string>{"Welcome !"});
    w.m_Log.WriteLine("Another record.");
    w.OnTimer();
    w.OnTimer();
    EXPECT_EQ(w.m_edLog->toPlainText().count(QStringLiteral("Another record.")), 1);
    EXPECT_EQ(t.dialogs.modalTitles.size(), 1u);
}

TEST(MainWindow, MenuCommandsOfThisWindow) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    int count = 0;
    const MENUROW* rows = MainMenuRows(count);
    ASSERT_EQ(count, 18);
    EXPECT_STREQ(rows[0].pszText, "Import Data Log...");
    EXPECT_EQ(w.CommandAction(ID_APP_ABOUT)->shortcut(), QKeySequence(QStringLiteral("Alt+A")));
    EXPECT_EQ(w.CommandAction(ID_FILE_IMPORT_LOG)->shortcut(),
              QKeySequence(QStringLiteral("Ctrl+L")));
    w.CommandAction(ID_APP_ABOUT)->trigger();
    w.CommandAction(ID_APP_DISCLAIMER)->trigger();
    EXPECT_EQ(t.dialogs.modalTitles, (std::vector<std::string>{"About Tessaric", "Disclaimer"}));
    // without a series the fit is disabled and does nothing
    EXPECT_FALSE(w.Commands().Execute(ID_ANALYZE_FIT_MODEL));
    EXPECT_TRUE(w.Commands().IsEnabled(ID_FILE_IMPORT_LOG));

    // the settings command takes the dialog's values only on OK
    t.dialogs.modalAnswers.push_back([](QDialog& dialog) { return dialog.result(); });
    t.dialogs.modalAnswers.push_back([](QDialog&) { return int(QDialog::Accepted); });
    w.CommandAction(ID_SETTINGS_PARAMETERS)->trigger();
    EXPECT_EQ(w.m_Params.MinDiversity, 10);
    w.m_Params.LimitPhase = 0.5;
    w.CommandAction(ID_SETTINGS_PARAMETERS)->trigger();
    EXPECT_EQ(w.m_Params.LimitPhase, 0.5);
}

TEST(MainWindow, CommandLineAndDroppedFilesAreImportedByContent) {
    const WINDOWARGUMENTS parsed = ParseWindowArguments(
        {"tessaric", "--dbgl", "3", "a.log", "--no-welcome", "--screenshot", "s.png", "b.dat"});
    EXPECT_EQ(parsed.files, (std::vector<std::string>{"a.log", "b.dat"}));
    EXPECT_TRUE(parsed.bNoWelcome);
    EXPECT_EQ(parsed.strScreenshot, "s.png");

    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    w.OpenFiles({FixturePath("orvex_worked_example.dat")});
    ASSERT_EQ(w.m_SeriesList.size(), 1u);
    EXPECT_EQ(w.m_SeriesList[0].m_nImportType, 2);
    QMimeData mime;
    mime.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(FixturePath("c1a1_two_recordings.log")))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // straight to the window: outside a real drag the application would not
    // deliver a drop
    static_cast<QObject&>(w).event(&drop);
    EXPECT_EQ(w.m_SeriesList.size(), 3u);
    EXPECT_EQ(w.m_cbSeries->currentIndex(), 2);
}

// Larger than its template, the window gives the extra room to the tab
// area and its page's pane; the page's right-hand controls and the
// series buttons stay at the right edge, the message log at the bottom.
// The template size is the least, and an image export takes the diagram's
// size as it is.
TEST(MainWindow, GrowsItsPanesAndKeepsTheRightControlsAnchored) {
    WindowUnderTest t;
    CTessaricDlg& w = *t.window;
    w.show();
    w.OpenFiles({FixturePath("c1a1_worked_example.log")});
    const QSize least = w.size();
    EXPECT_EQ(w.minimumSize(), least);
    auto* reextract = w.m_pA1TimePage->findChild<QPushButton*>("1015");
    ASSERT_NE(reextract, nullptr);
    const QRect buttonBefore = reextract->geometry();
    const QSize bitmapBefore = w.m_pA1TimePage->m_wndDiagram.Bitmap().size();
    const QRect importBefore = w.m_btImport->geometry();
    const QRect logBefore = w.m_edLog->geometry();

    const QSize extra(200, 150);
    w.resize(least + extra);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.m_pA1TimePage->m_wndDiagram.Bitmap().size(), bitmapBefore + extra);
    EXPECT_EQ(reextract->geometry(), buttonBefore.translated(extra.width(), 0));
    EXPECT_EQ(w.m_btImport->geometry(), importBefore.translated(extra.width(), 0));
    EXPECT_EQ(w.m_edLog->geometry().topLeft(), logBefore.topLeft() + QPoint(0, extra.height()));
    TempDir dir;
    t.dialogs.saveAnswers.push_back(FILEDIALOGRESULT{dir.File("big.png"), 2});
    w.CommandAction(ID_FILE_EXPORT_IMAGE)->trigger();
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("big.png"))).size(), bitmapBefore + extra);

    w.resize(least - QSize(50, 50));
    EXPECT_EQ(w.size(), least);
}

// No label and no drop-down of any page cuts its text at the dialog font.
TEST(MainWindow, NoPageCutsTheTextOfItsLabelsAndDropDowns) {
    WindowUnderTest t;
    for (CTessaricPage* page : t.window->Pages()) {
        std::vector<QWidget*> texts;
        for (QLabel* label : page->findChildren<QLabel*>())
            texts.push_back(label);
        for (QComboBox* list : page->findChildren<QComboBox*>())
            texts.push_back(list);
        for (QWidget* widget : texts)
            EXPECT_LE(widget->sizeHint().width(), widget->width())
                << widget->metaObject()->className() << " "
                << (qobject_cast<QLabel*>(widget) ? qobject_cast<QLabel*>(widget)->text()
                                                  : qobject_cast<QComboBox*>(widget)->currentText())
                       .toStdString();
    }
}
