#include "app/CTessaricDlg.h"
#include "app/TessaricPictures.h"
#include "app/WindowArguments.h"
#include "pages/CBackgroundRunner.h"
#include "pages/CQtUserDialogs.h"
#include "platform/CQtProfileStore.h"
#include "platform/DataFolder.h"
#include "platform/ExecutableName.h"

#include <QApplication>
#include <QTimer>

#include <QPixmap>
#include <QScreen>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

// Long enough for the window manager to map the window and for the first
// paint after the imports.
constexpr int kScreenshotDelayMs = 1500;

// What the screen shows of the window, frame excluded; the window's own
// rendering when the screen cannot be read.
bool SaveWindowScreenshot(CTessaricDlg& window, const std::string& path) {
    QPixmap shot;
    if (QScreen* screen = window.screen())
        shot = screen->grabWindow(window.winId());
    if (shot.isNull())
        shot = window.grab();
    return shot.save(QString::fromStdString(path), "PNG");
}

} // namespace

int main(int argc, char* argv[]) {
    const WINDOWARGUMENTS parsed = ParseWindowArguments({argv, argv + argc});
    if (parsed.bHelp || parsed.bVersion) {
        const std::string text = parsed.bHelp ? WindowUsageText() : WindowVersionText();
        return std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
    }
    QApplication application(argc, argv);
    // Qt switched the numbers to the user's locale; files and the log keep
    // the point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName(QString::fromUtf8(kProfileOrganisation));
    const std::string baseName = ExecutableBaseName();
    QApplication::setApplicationName(QString::fromStdString(baseName));
    QApplication::setWindowIcon(ProgramIcon());

    const std::vector<std::string> arguments(argv, argv + argc);

    CQtProfileStore profile(kProfileOrganisation, baseName);
    CQtUserDialogs dialogs;
    CTessaricDlg window(FindProgramDataFolder(baseName), CommandLineArgumentText(arguments),
                        &profile, dialogs);
    if (parsed.bNoWelcome || std::getenv("TESSARIC_NO_WELCOME") || !parsed.strScreenshot.empty())
        window.m_nWelcomeCountdown = 0;
    if (!parsed.files.empty())
        QTimer::singleShot(0, &window, [&window, &parsed] { window.OpenFiles(parsed.files); });
    bool bSaved = true;
    if (!parsed.strScreenshot.empty())
        // after the window has been mapped and painted with the opened files
        QTimer::singleShot(kScreenshotDelayMs, &window, [&window, &parsed, &bSaved] {
            // a large log is still being read by the runner
            window.Runner()->WaitUntilIdle();
            bSaved = SaveWindowScreenshot(window, parsed.strScreenshot);
            window.OnQuit();
        });
    window.exec();
    return bSaved ? 0 : 1;
}
