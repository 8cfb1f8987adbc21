#pragma once

#include "app/CTessaricDlg.h"
#include "infra/CMemoryProfileStore.h"
#include "support/CScriptedUserDialogs.h"
#include "support/TestSupport.h"

#include <QApplication>

#include <clocale>
#include <memory>
#include <string>
#include <vector>

// Widgets need a running application; the tests share one, offscreen.
inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
    }
}

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
