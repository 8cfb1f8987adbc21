#pragma once

#include "data/C1A1LogReader.h"
#include "data/CA1SeriesList.h"
#include "diagram/DiagramTestSupport.h"
#include "infra/CMainParameters.h"
#include "pages/IPageHost.h"
#include "support/CScriptedUserDialogs.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

// The main window as a page sees it: counts the tab rebuilds and answers
// the dialogs from a script.
class CTestPageHost : public IPageHost {
public:
    void RefreshTabs() override { ++nRefreshes; }
    void PutControls() override { ++nPuts; }
    IUserDialogs& Dialogs() override { return dialogs; }

    int nRefreshes = 0;
    int nPuts = 0;
    CScriptedUserDialogs dialogs;
};

// A page connected to a capturing log, a parameter set and the test host,
// created and shown as the window does.
class PageTest : public ::testing::Test {
protected:
    // Before the derived fixtures construct their pages.
    PageTest() { EnsureApplication(); }

    template <typename Page> void Attach(Page& page, bool bWithParameters = true) {
        page.m_pLog = &capture.log;
        page.m_pMainParams = bWithParameters ? &params : nullptr;
        page.m_pHost = &host;
        page.Create();
        page.show();
    }

    // The first series of the bundled example log.
    CA1TimeSeries& ExampleSeries() {
        if (list.empty())
            ImportC1A1Log(std::string(TESSARIC_FIXTURE_DIR) + "/../../examples/c1a1_example.log",
                          capture.log, 1, 0.0, list);
        return list[0];
    }

    static QString Text(QWidget& page, int nId) {
        auto* edit = page.findChild<QLineEdit*>(QString::number(nId));
        return edit ? edit->text() : QStringLiteral("<no control>");
    }
    // Clicks the push button with the text (or, for a button whose text
    // wraps, the accessible name).
    static void Click(QWidget& page, const char* text) {
        for (QPushButton* button : page.findChildren<QPushButton*>())
            if (button->text() == QString::fromUtf8(text) ||
                button->accessibleName() == QString::fromUtf8(text)) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        ADD_FAILURE() << "no button " << text;
    }
    static void Type(QWidget& page, int nId, const QString& text) {
        auto* edit = page.findChild<QLineEdit*>(QString::number(nId));
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    LogCapture capture{4};
    CMainParameters params;
    CTestPageHost host;
    CA1SeriesList list;
};
