#include "app/WindowTestSupport.h"

#include "pages/CDDLogTextDlg.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabBar>
#include <QTest>

void WindowUnderTest::Import(const std::string& fixture, int filterIndex) {
    dialogs.openAnswers.push_back(FILEDIALOGRESULT{FixturePath(fixture), filterIndex});
    QTest::mouseClick(window->m_btImport, Qt::LeftButton);
}

std::vector<std::string> WindowUnderTest::TabTexts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < window->m_TabCtrl->count(); ++i)
        texts.push_back(window->m_TabCtrl->tabText(i).toStdString());
    return texts;
}

std::vector<std::string> WindowUnderTest::LogTexts() const {
    std::vector<std::string> texts;
    for (const std::string& line : SplitCrLf(ReadFileBytes(dataDir.File("Log.txt"))))
        texts.push_back(line.size() >= 21 ? line.substr(21) : line);
    return texts;
}

CTessaricPage* WindowUnderTest::VisiblePage() const {
    CTessaricPage* shown = nullptr;
    for (CTessaricPage* page : window->Pages())
        if (!page->isHidden()) {
            EXPECT_EQ(shown, nullptr) << "two pages shown";
            shown = page;
        }
    return shown;
}

void StartOnXvfb(QProcess& run, const QString& xvfbRun, const TempDir& dir, const char* script,
                 const QProcessEnvironment& extra) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("TESSARIC_DATA_DIR"), QString::fromStdString(dir.Path()));
    environment.insert(QStringLiteral("SHOTS"), QString::fromStdString(dir.Path()));
    environment.insert(QStringLiteral("TESSARIC"), QStringLiteral(TESSARIC_WINDOW_EXE));
    environment.insert(QStringLiteral("GRAB"), QStringLiteral(TESSARIC_GRAB_EXE));
    environment.insert(extra);
    run.setProcessEnvironment(environment);
    run.start(xvfbRun,
              {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
               QStringLiteral("sh"), QStringLiteral("-c"), QString::fromUtf8(script)});
}
