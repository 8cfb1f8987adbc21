// tessaric-cli: the evaluation of the window for batches and scripts, and a
// simulator of logs with a known answer.
#include "cli/CTerminalProgress.h"
#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "infra/CLogFile.h"
#include "infra/InterruptCleanup.h"
#include "infra/Version.h"

#include <QGuiApplication>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

CLogFile* g_pQtMessageLog = nullptr;

// Qt's own notes (a missing runtime folder, font lookups) are no results of
// the program: they go to the program log as debug records, so that --quiet
// keeps stderr silent and --debug-level shows them.
void ForwardQtMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (g_pQtMessageLog)
        g_pQtMessageLog->WriteDebug("Qt: " + message.toStdString(), 1);
}

// The program opens no window: its diagrams are drawn into bitmaps, which
// Qt's offscreen platform does exactly as any other. A display platform would
// gain nothing and abort the program when the session names a display that
// cannot be reached (a stale DISPLAY after an ssh login).
void ChooseQtPlatform() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

int RunEvaluateWithQt(const CLIOPTIONS& options, CLogFile& log, char* programPath,
                      CTerminalProgress* pProgress) {
    // Only the diagrams of --out and the reports need Qt; without them nothing of Qt runs
    // (it would create its runtime folder, for one).
    std::optional<QGuiApplication> application;
    int qtArgc = 1;
    char* qtArgv[] = {programPath, nullptr};
    if (NeedsDiagrams(options.evaluate)) {
        ChooseQtPlatform();
        g_pQtMessageLog = &log;
        qInstallMessageHandler(ForwardQtMessage);
        // Qt must not see our arguments: it would take options such as
        // "-platform" for its own.
        application.emplace(qtArgc, qtArgv);
        // Qt switches LC_NUMERIC to the user's locale; numbers in the
        // reports and files keep their point.
        std::setlocale(LC_NUMERIC, "C");
    }
    EVALUATEOPTIONS evaluate = options.evaluate;
    evaluate.bShowProgress = pProgress != nullptr;
    if (options.command == CliCommand::Compare)
        return RunCompare(evaluate, log, stdout, pProgress);
    return RunEvaluate(evaluate, log, stdout, pProgress);
}

} // namespace

int main(int argc, char** argv) {
    InstallInterruptCleanup();
    // A reader that closes the pipe early (| head) must not end the program
    // before its files are written; the failed write to stdout is reported
    // and gives the exit status.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const CLIPARSE parse = ParseCommandLine(arguments);
    if (!parse.bOk) {
        std::fprintf(stderr, "%s\n", parse.strError.c_str());
        return kExitUsage;
    }
    const CLIOPTIONS& options = parse.options;
    switch (options.command) {
    case CliCommand::Help:
        std::fputs(UsageText().c_str(), stdout);
        return kExitSuccess;
    case CliCommand::Version:
        std::printf("tessaric-cli %s\n", kTessaricVersionText);
        return kExitSuccess;
    case CliCommand::Evaluate:
    case CliCommand::Compare:
    case CliCommand::Simulate:
        break;
    }

    // A progress line only helps someone watching; in a pipe or a log file
    // it would be clutter.
    const bool bShowProgress = !options.bQuiet && ::isatty(STDERR_FILENO) == 1;
    std::optional<CTerminalProgress> progress;
    if (bShowProgress)
        progress.emplace(stderr);
    CTerminalProgress* pProgress = progress ? &*progress : nullptr;

    CLogFile log;
    return RunWithCliLog(
        options, log, stderr,
        [&](CLogFile& programLog) {
            if (options.command == CliCommand::Simulate)
                return RunSimulate(options, programLog);
            return RunEvaluateWithQt(options, programLog, argv[0], pProgress);
        },
        pProgress);
}
