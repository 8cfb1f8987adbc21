#include "app/CPictureDlg.h"
#include "app/CTessaricSettingsDlg.h"
#include "app/CTessaricSplashDlg.h"
#include "app/TessaricPictures.h"
#include "app/WindowTestSupport.h"
#include "pages/CQtUserDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(SplashWindow, IgnoresInputForTwoSecondsAndClosesItselfAtSix) {
    EnsureApplication();
    CTessaricSplashDlg early;
    early.show();
    EXPECT_TRUE(early.m_Timer200.isActive());
    EXPECT_EQ(early.m_Timer200.interval(), 2000);
    QTest::keyClick(&early, Qt::Key_Space);
    QTest::keyClick(&early, Qt::Key_Escape);
    QTest::mouseClick(&early, Qt::LeftButton);
    early.close();
    EXPECT_TRUE(early.isVisible());
    early.OnTimer200(); // 2 s
    EXPECT_EQ(early.m_Timer201.interval(), 4000);
    QTest::keyClick(&early, Qt::Key_Space);
    EXPECT_FALSE(early.isVisible());
    EXPECT_EQ(early.result(), QDialog::Accepted);

    CTessaricSplashDlg untouched;
    untouched.show();
    untouched.OnTimer200();
    untouched.OnTimer201(); // 6 s
    EXPECT_FALSE(untouched.isVisible());
    EXPECT_EQ(untouched.windowTitle().toStdString(), "Welcome !");
}

TEST(SmallWindows, PicturesAndButtons) {
    EnsureApplication();
    EXPECT_EQ(WelcomePicture().size(), QSize(500, 340));
    EXPECT_EQ(DisclaimerPicture().size(), QSize(500, 396));
    // the same picture each time the about box opens
    EXPECT_EQ(WelcomePicture(), WelcomePicture());
    CAboutDlg about;
    CDisclaimerDlg disclaimer;
    EXPECT_EQ(about.m_pButton->text().toStdString(), "OK");
    EXPECT_EQ(disclaimer.m_pButton->text().toStdString(), "Acknowledged!");
    EXPECT_EQ(disclaimer.windowTitle().toStdString(), "Disclaimer");
    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}

TEST(SettingsWindow, RefusesOutOfRangeDiversityAndClampsThePhaseLimit) {
    EnsureApplication();
    CScriptedUserDialogs dialogs;
    struct CASE {
        const char* diversity;
        const char* phase;
        bool accepted;
        const char* message;
        double phaseAfter;
    };
    const CASE cases[] = {
        {"4", "0.25", false, "Enter an integer between 5 and 50000.", 0.25},
        {"50001", "0.25", false, "Enter an integer between 5 and 50000.", 0.25},
        {"", "0.25", false, "Enter an integer.", 0.25},
        {"5", "0.0001", true, nullptr, 0.001},
        {"50000", "5000", true, nullptr, 1000.0},
        {"12", "0.3333", true, nullptr, 0.3333},
        {"12", "", true, nullptr, 0.25},
        {"12", "abc", true, nullptr, 0.001},
    };
    for (const CASE& c : cases) {
        dialogs.messages.clear();
        CTessaricSettingsDlg dialog(10, 0.25, dialogs);
        EXPECT_EQ(dialog.m_edLimitPhase->text().toStdString(), "0.250");
        dialog.show();
        dialog.m_edMinDiversity->clear();
        QTest::keyClicks(dialog.m_edMinDiversity, QString::fromUtf8(c.diversity));
        dialog.m_edLimitPhase->setText(QString::fromUtf8(c.phase));
        QTest::keyClick(dialog.m_edLimitPhase, Qt::Key_Return);
        EXPECT_EQ(dialog.isVisible(), !c.accepted) << c.diversity;
        if (c.message)
            EXPECT_EQ(dialogs.messages, std::vector<std::string>{c.message}) << c.diversity;
        else
            EXPECT_TRUE(dialogs.messages.empty()) << c.diversity;
        EXPECT_EQ(dialog.m_dLimitPhase, c.phaseAfter) << c.phase;
    }
    CTessaricSettingsDlg shown(12, 0.3333, dialogs);
    EXPECT_EQ(shown.m_edLimitPhase->text().toStdString(), "0.333");
}

TEST(FileDialogs, ClassicFiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtNameFilters("CEOS C1A1 log file (*.html;*.txt;*.log)|*.html; *.txt; *.log|"
                            "ORVEXStab log file (*.dat;*.txt)|*.dat; *.txt||"),
              (QStringList{QStringLiteral("CEOS C1A1 log file (*.html *.txt *.log)"),
                           QStringLiteral("ORVEXStab log file (*.dat *.txt)")}));
    EXPECT_EQ(QtNameFilters("All Files  (*.*)|*.*||"),
              QStringList{QStringLiteral("All Files (*.*)")});
    EXPECT_EQ(DialogText("a\r\nb"), QStringLiteral("a\nb"));
}
