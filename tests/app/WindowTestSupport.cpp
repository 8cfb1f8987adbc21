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
