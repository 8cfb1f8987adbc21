// The --log file through the write-limit seam: a log that fills the disk
// part way is a failure that the user is told about once.
#include "cli/CliCommands.h"
#include "infra/CLogFile.h"

#include "support/TestSupport.h"
#include "support/WriteLimitGuard.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

std::string ReadAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text.push_back(static_cast<char>(c));
    return text;
}

} // namespace

TEST(CliLogFile, FullDiskOrUnwritableLogIsOneErrorAndStatusOne) {
    TempDir dir;
    WriteFileBytes(dir.File("run.log"), GeneratedC1A1Log(0, 400, 200));
    struct CASE {
        std::string strLogFile;
        std::string strError;
    };
    const CASE cases[] = {
        {dir.File("records.txt"), "ERROR: Failed to write the log file [" +
                                      dir.File("records.txt") + "]; it misses records.\n"},
        {dir.Path(), "ERROR: Failed to open the log file [" + dir.Path() +
                         "] of option '--log'; its records are not kept.\n"},
    };
    for (const CASE& c : cases) {
        CLIOPTIONS options;
        options.command = CliCommand::Evaluate;
        options.bQuiet = true;
        options.strLogFile = c.strLogFile;
        options.evaluate.files = {dir.File("run.log")};
        std::FILE* err = std::tmpfile();
        std::FILE* out = std::tmpfile();
        ASSERT_TRUE(err && out);
        bool bEvaluated = false;
        {
            const WriteLimitGuard fullDisk(200);
            CLogFile log;
            const int status = RunWithCliLog(options, log, err, [&](CLogFile& programLog) {
                bEvaluated = true;
                return RunEvaluate(options.evaluate, programLog, out);
            });
            EXPECT_EQ(status, kExitFailure) << c.strLogFile;
        }
        EXPECT_TRUE(bEvaluated);
        EXPECT_EQ(ReadAll(err), c.strError);
        EXPECT_NE(ReadAll(out).find("Astigmatism Stability Report"), std::string::npos);
        std::fclose(err);
        std::fclose(out);
    }
}
