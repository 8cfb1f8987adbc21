#include "app/MainMenu.h"
#include "app/WindowTestSupport.h"
#include "pages/CBackgroundRunner.h"
#include "pages/CDDA1TimeDiagramDlg.h"
#include "pages/CDDCFuncDiagramDlg.h"
#include "pages/CDDLogTextDlg.h"
#include "pages/CDDModelDiagramDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>

namespace {

const std::string kExample = TESSARIC_EXAMPLES_DIR "/c1a1_example.log";

// The window shown and active, so that its accelerators take real key
// events.
struct ActiveWindow : WindowUnderTest {
    ActiveWindow() {
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // An accelerator, and the long work it may have started run to its end.
    void Press(Qt::Key key) {
        QTest::keyClick(window.get(), key, Qt::ControlModifier);
        window->Runner()->WaitUntilIdle();
        // a progress bar that showed hands the keyboard back through events
        QCoreApplication::processEvents();
    }
    void ClickTab(int index) {
        QTabBar* tabs = window->m_TabCtrl;
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }
    // The commands that a pop-up of the menu bar shows enabled when it opens.
    std::set<int> EnabledInMenus() {
        std::set<int> enabled;
        for (QMenu* menu : window->m_pMenuBar->findChildren<QMenu*>()) {
            emit menu->aboutToShow();
            int count = 0;
            const MENUROW* rows = MainMenuRows(count);
            for (int i = 0; i < count; ++i)
                if (rows[i].nCommand != 0 &&
                    menu->actions().contains(window->CommandAction(rows[i].nCommand)) &&
                    window->CommandAction(rows[i].nCommand)->isEnabled())
                    enabled.insert(rows[i].nCommand);
            emit menu->aboutToHide();
        }
        return enabled;
    }
};

} // namespace

TEST(CommandRouting, WithoutSeriesOnlyTheProgramCommandsAreEnabled) {
    ActiveWindow t;
    CTessaricDlg& w = *t.window;
    EXPECT_EQ(t.EnabledInMenus(),
              (std::set<int>{ID_FILE_IMPORT_LOG, ID_FILE_QUIT, ID_SETTINGS_PARAMETERS, ID_APP_ABOUT,
                             ID_APP_DISCLAIMER}));
    const std::size_t records = t.LogTexts().size();
    for (Qt::Key key : {Qt::Key_E, Qt::Key_F, Qt::Key_M, Qt::Key_P, Qt::Key_S})
        t.Press(key);
    EXPECT_EQ(t.LogTexts().size(), records);
    EXPECT_EQ(w.m_TabCtrl->count(), 0);
    EXPECT_EQ(w.m_nCurPage, -1);
}

TEST(CommandRouting, AcceleratorsEvaluateFitAndSelectTheirTabs) {
    ActiveWindow t;
    CTessaricDlg& w = *t.window;
    w.OpenFiles({kExample});
    EXPECT_EQ(t.EnabledInMenus().count(ID_ANALYZE_FIT_MODEL), 0u);
    EXPECT_EQ(t.EnabledInMenus().count(ID_FILE_EXPORT_IMAGE), 1u); // before any evaluation

    t.Press(Qt::Key_F);
    EXPECT_EQ(t.TabTexts(), (std::vector<std::string>{"Log Text", "A22-Time Graph",
                                                      "Charact. Func.", "Summary"}));
    EXPECT_EQ(w.m_nCurPage, 2);
    // the records are in the pane at once, not only at the next tick
    EXPECT_TRUE(w.m_edLog->toPlainText().contains(
        "The characteristic function was extracted successfully."));
    const std::set<int> enabled = t.EnabledInMenus();
    EXPECT_EQ(enabled.count(ID_ANALYZE_FIT_MODEL), 1u);
    EXPECT_EQ(enabled.count(ID_ANALYZE_SUMMARY), 1u);
    EXPECT_EQ(enabled.count(ID_ANALYZE_PROBABILITY_PLOT), 0u);
    t.Press(Qt::Key_P); // disabled: nothing
    EXPECT_EQ(w.m_nCurPage, 2);
    t.Press(Qt::Key_S);
    EXPECT_EQ(w.m_nCurPage, 3);
    EXPECT_EQ(w.m_TabCtrl->currentIndex(), 3);

    t.Press(Qt::Key_M);
    ASSERT_TRUE(w.CurrentSeries()->HasModel());
    EXPECT_EQ(w.m_TabCtrl->count(), 6);
    EXPECT_EQ(w.m_nCurPage, 3);
    t.Press(Qt::Key_P);
    EXPECT_EQ(w.m_TabCtrl->currentIndex(), 4);
    EXPECT_FALSE(w.m_pProbPage->isHidden());
    t.Press(Qt::Key_S);
    EXPECT_EQ(w.m_TabCtrl->currentIndex(), 5);
    // neither changes the series' own tab
    EXPECT_EQ(w.CurrentSeries()->m_nPage, 3);
}

TEST(CommandRouting, ExportsFollowTheSelectedDiagramTab) {
    ActiveWindow t;
    CTessaricDlg& w = *t.window;
    w.OpenFiles({kExample});
    t.Press(Qt::Key_F);
    t.Press(Qt::Key_M);
    ASSERT_EQ(w.m_TabCtrl->count(), 6);
    struct CASE {
        int nTab;
        const char* saved; // nullptr: the export is disabled on that tab
    };
    const CASE cases[] = {{0, nullptr},
                          {1, "Astigmatism-time data table saved to file ["},
                          {2, "Characteristic function data table saved to file ["},
                          {3, "Model data table saved to file ["},
                          {4, "Probability data table saved to file ["},
                          {5, nullptr}};
    TempDir dir;
    for (const CASE& c : cases) {
        t.ClickTab(c.nTab);
        ASSERT_EQ(w.m_nCurPage, c.nTab);
        EXPECT_EQ(t.EnabledInMenus().count(ID_FILE_EXPORT_IMAGE), c.saved ? 1u : 0u) << c.nTab;
        const std::string path = dir.File("tab" + std::to_string(c.nTab) + ".txt");
        t.dialogs.saveAnswers.push_back(FILEDIALOGRESULT{path, 1});
        w.CommandAction(ID_FILE_EXPORT_TABLE)->trigger();
        if (!c.saved) {
            t.dialogs.saveAnswers.clear();
            continue;
        }
        w.FeedPane();
        EXPECT_TRUE(w.m_edLog->toPlainText().contains(QString::fromStdString(c.saved + path)))
            << c.nTab;
    }
    EXPECT_EQ(t.dialogs.saveRequests.size(), 4u);
}

TEST(CommandRouting, ReExtractShrinksTheTabsAndKeepsTheA22Page) {
    ActiveWindow t;
    CTessaricDlg& w = *t.window;
    w.OpenFiles({kExample});
    t.Press(Qt::Key_F);
    t.ClickTab(1);
    QTest::mouseClick(w.m_pA1TimePage->findChild<QCheckBox*>("1013"), Qt::LeftButton);
    t.Press(Qt::Key_E);
    EXPECT_EQ(t.TabTexts(), (std::vector<std::string>{"Log Text", "A22-Time Graph"}));
    EXPECT_EQ(t.VisiblePage(), static_cast<CTessaricPage*>(w.m_pA1TimePage));
    EXPECT_EQ(w.CurrentSeries()->m_nMirrorY, -1);
}

TEST(CommandRouting, CommandsReachTheCurrentSeriesAfterTheListChanged) {
    ActiveWindow t;
    CTessaricDlg& w = *t.window;
    w.OpenFiles({kExample, kExample});
    // the A22 page last showed the first series; that one goes while the
    // log text is shown, and the second moves into its place
    t.ClickTab(0);
    w.m_cbSeries->setCurrentIndex(0);
    emit w.m_cbSeries->activated(0);
    t.ClickTab(0);
    w.OnDelete();
    ASSERT_EQ(w.m_SeriesList.size(), 1u);
    EXPECT_EQ(w.m_pA1TimePage->m_pSeries, nullptr);
    t.Press(Qt::Key_F);
    EXPECT_TRUE(w.m_SeriesList[0].HasCharFunction());
}

// Keys typed while long work runs are not kept for later: the commands on
// the series are held, so two Ctrl+M give no fit at all afterwards.
TEST(CommandRouting, CommandsAreHeldWhileLongWorkRuns) {
    ActiveWindow t;
    CTessaricDlg& w = *t.window;
    w.OpenFiles({kExample});
    t.Press(Qt::Key_F);
    ASSERT_TRUE(w.CurrentSeries()->HasCharFunction());
    CBackgroundRunner::JOB job;
    job.work = [](const ProgressCallback&, const AbortFlag& abort) {
        while (!abort.load())
            std::this_thread::yield();
    };
    ASSERT_TRUE(w.Runner()->Start(std::move(job)));
    EXPECT_EQ(t.EnabledInMenus(), (std::set<int>{ID_FILE_QUIT, ID_APP_ABOUT, ID_APP_DISCLAIMER}));
    EXPECT_FALSE(w.m_btImport->isEnabled());
    EXPECT_FALSE(t.VisiblePage()->isEnabled());
    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier);
    w.Runner()->Cancel();
    w.Runner()->WaitUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.CurrentSeries()->HasModel());
    EXPECT_FALSE(w.Runner()->IsBusy());
    EXPECT_EQ(t.EnabledInMenus().count(ID_ANALYZE_FIT_MODEL), 1u);
    EXPECT_TRUE(w.m_btImport->isEnabled());
}

// Every menu and item has its own underlined letter, and the tab keys of
// browsers and office programs walk the tabs round the end.
TEST(CommandRouting, KeyboardReachesMenusAndTabs) {
    ActiveWindow t;
    CTessaricDlg& w = *t.window;
    std::vector<QList<QAction*>> levels = {w.m_pMenuBar->actions()};
    for (QMenu* menu : w.m_pMenuBar->findChildren<QMenu*>())
        levels.push_back(menu->actions());
    for (const QList<QAction*>& actions : levels) {
        std::set<QChar> letters;
        for (QAction* action : actions) {
            if (action->isSeparator() || action->text() == "About")
                continue; // About has Alt+A of its own
            const QString text = action->text();
            const qsizetype mark = text.indexOf(QLatin1Char('&'));
            ASSERT_GE(mark, 0) << text.toStdString();
            EXPECT_TRUE(letters.insert(text[mark + 1].toUpper()).second) << text.toStdString();
        }
    }

    w.OpenFiles({kExample});
    t.Press(Qt::Key_F);
    ASSERT_EQ(w.m_TabCtrl->count(), 4);
    struct STEP {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int nTab;
    };
    const STEP steps[] = {
        {Qt::Key_Tab, Qt::ControlModifier, 3},
        {Qt::Key_Tab, Qt::ControlModifier, 0},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 3},
        {Qt::Key_PageUp, Qt::ControlModifier, 2},
        {Qt::Key_PageDown, Qt::ControlModifier, 3},
    };
    for (const STEP& step : steps) {
        QTest::keyClick(&w, step.key, step.modifiers);
        EXPECT_EQ(w.m_TabCtrl->currentIndex(), step.nTab) << step.key;
        EXPECT_EQ(w.m_nCurPage, step.nTab);
    }
}

// Every save dialog of an export proposes "<log stem>-s<NNN>-<kind>" and
// opens where the last one was saved (kept in the user's profile); the
// report can be saved from the File menu and copied from the Summary's menu.
TEST(CommandRouting, ExportsProposeTheirNameAndRememberTheFolder) {
    TempDir first;
    TempDir second;
    {
        ActiveWindow t;
        CTessaricDlg& w = *t.window;
        w.OpenFiles({kExample});
        t.Press(Qt::Key_F);
        struct CASE {
            int nCommand;
            int nTab;
            std::string path;
            const char* name;
            std::string folder; // where the dialog opens
        };
        const CASE cases[] = {
            {ID_FILE_SAVE_REPORT, 3, first.File("r.txt"), "c1a1_example-s001-report", ""},
            {ID_FILE_EXPORT_TABLE, 2, second.File("c.txt"), "c1a1_example-s001-cfunc",
             first.Path() + "/"},
            {ID_FILE_EXPORT_IMAGE, 1, second.File("a.png"), "c1a1_example-s001-a22-time",
             second.Path() + "/"},
        };
        for (const CASE& c : cases) {
            t.ClickTab(c.nTab);
            t.dialogs.saveAnswers.push_back(FILEDIALOGRESULT{c.path, 2});
            ASSERT_TRUE(w.Commands().Execute(c.nCommand)) << c.name;
            ASSERT_FALSE(t.dialogs.saveRequests.empty());
            EXPECT_EQ(t.dialogs.saveRequests.back().strDefaultName, c.name);
            EXPECT_EQ(t.dialogs.saveRequests.back().strInitialFolder, c.folder) << c.name;
            EXPECT_TRUE(std::filesystem::exists(c.path)) << c.path;
        }
        EXPECT_NE(ReadFileBytes(first.File("r.txt")).find("Estimated lifetime"), std::string::npos);
        t.ClickTab(3);
        w.m_pSummaryPage->OnCopyReport();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), w.m_pSummaryPage->m_edText->toPlainText());
        EXPECT_EQ(*t.profile.Find("Window", "ExportFolder"),
                  CMemoryProfileStore::Value(second.Path() + "/"));
    }
}
