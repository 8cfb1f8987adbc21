#pragma once

#include "app/CTessaricDlg.h"
#include "infra/CMemoryProfileStore.h"
#include "support/CScriptedUserDialogs.h"
#include "support/QtTestApplication.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QProcess>
#include <QString>

#include <memory>
#include <string>
#include <vector>

// A main window on a fresh data folder and an empty profile, its dialogs
// answered by script.
struct WindowUnderTest {
    WindowUnderTest() {
        EnsureApplication();
        window = std::make_unique<CTessaricDlg>(dataDir.Path(), "", &profile, dialogs);
    }

    // Imports a fixture through the Import button under the given filter.
    void Import(const std::string& fixture, int filterIndex = 1);
    std::vector<std::string> TabTexts() const;
    std::vector<std::string> LogTexts() const; // the log file's records without time stamps
    CTessaricPage* VisiblePage() const;

    TempDir dataDir;
    CMemoryProfileStore profile;
    CScriptedUserDialogs dialogs;
    std::unique_ptr<CTessaricDlg> window;
};

// Starts a script that drives the real program under xvfb-run on a
// 1280x1024 screen, with the X platform, the data folder and $SHOTS in
// `dir`, and $TESSARIC and $GRAB naming the program and the grab tool;
// `extra` adds to that environment.
void StartOnXvfb(QProcess& run, const QString& xvfbRun, const TempDir& dir, const char* script,
                 const QProcessEnvironment& extra = {});
