// Runs the tessaric-cli program that CTest names in TESSARIC_CLI.
#include "support/TestSupport.h"

#include <QCryptographicHash>

#include <bit>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct CLIRUN {
    int nStatus = -1;
    std::string strOut;
    std::string strErr;
};

std::string Quoted(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// `environment` goes before the program (for example "env DISPLAY=:99");
// `stdoutPath` replaces the file that receives stdout. A run that hangs is
// ended after ten minutes, so that a hang fails the test instead of the whole
// test run waiting for ever.
CLIRUN RunCli(const TempDir& dir, const std::vector<std::string>& arguments,
              const std::string& environment = "", const std::string& stdoutPath = "") {
    const char* program = std::getenv("TESSARIC_CLI");
    CLIRUN run;
    if (!program) {
        ADD_FAILURE() << "TESSARIC_CLI is not set; run the test through ctest";
        return run;
    }
    std::string command = environment + " timeout 600 " + Quoted(program);
    for (const std::string& argument : arguments)
        command += " " + Quoted(argument);
    command += " >" + Quoted(stdoutPath.empty() ? dir.File("stdout") : stdoutPath) + " 2>" +
               Quoted(dir.File("stderr"));
    const int status = std::system(command.c_str());
    run.nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.strOut = ReadFileBytes(dir.File("stdout"));
    run.strErr = ReadFileBytes(dir.File("stderr"));
    return run;
}

// Runs the program with stdout on a pipe whose reader has already gone, as
// behind "| head" once head has ended; SIGPIPE has its default action, as in
// a shell.
CLIRUN RunCliIntoClosedPipe(const TempDir& dir, const std::vector<std::string>& arguments) {
    CLIRUN run;
    const char* program = std::getenv("TESSARIC_CLI");
    int fds[2];
    if (!program || ::pipe(fds) != 0) {
        ADD_FAILURE() << "no program or no pipe";
        return run;
    }
    ::close(fds[0]);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const std::string errPath = dir.File("stderr");
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fds[1], STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(program, argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.strErr = ReadFileBytes(errPath);
    return run;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

float Float32At(const std::string& bytes, std::size_t offset) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    return std::bit_cast<float>(bits);
}

// Width and height from a PNG file's header chunk (big-endian, at bytes 16
// and 20); (0, 0) for anything that is not a PNG.
std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return {0, 0};
    const auto at = [&](std::size_t offset) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
        return value;
    };
    return {at(16), at(20)};
}

} // namespace

TEST(CliEndToEnd, SimulatedLogGivesTheSameReportTwice) {
    TempDir dir;
    const std::string log = dir.File("sim.log");
    ASSERT_EQ(RunCli(dir, {"simulate", "--images", "400", "--seed", "5", "--noise", "0.01",
                           "--drift", "0.002", log})
                  .nStatus,
              0);
    const CLIRUN first = RunCli(dir, {"evaluate", "--seed", "1", log});
    const CLIRUN second = RunCli(dir, {"evaluate", "--seed", "1", log});
    ASSERT_EQ(first.nStatus, 0) << first.strErr;
    EXPECT_EQ(first.strOut, second.strOut);
    EXPECT_TRUE(first.strOut.starts_with("=== " + log + ", series 001 ===\n"));
    EXPECT_TRUE(Contains(first.strOut, "Astigmatism Stability Report"));
    EXPECT_TRUE(Contains(first.strOut, "Best fitting model parameters:"));
    EXPECT_TRUE(Contains(first.strOut, "  - image series length: 400\n"));
    // The program log reaches stderr; --quiet silences it.
    EXPECT_TRUE(Contains(first.strErr, "Importing CEOS C1A1 log from file [" + log + "]."));
    const CLIRUN quiet = RunCli(dir, {"evaluate", "--quiet", "--seed", "1", log});
    EXPECT_EQ(quiet.strErr, "");
    EXPECT_EQ(quiet.strOut, first.strOut);
}

// A random walk with drift, Da = 0, 4000 images.
// - The drift estimate carries the random walk's displacement over the
//   record, Di / sqrt(N) = 0.0008 nm per image per component, 8 % of s; the
//   tolerance of 30 % is about four of these standard errors.
// - The strength of the random walk follows from the short distances, which
//   4000 images pin down to about 2 % (eight simulation seeds gave 0.0501 to
//   0.0532 nm); the tolerance is 15 %. The model cannot tell a constant
//   random walk from a decaying one whose tc is as long as the extracted
//   span: some seeds give Di ~ 0 and Da ~ 0.05 nm with tc of several hundred
//   s. What the data fix is D^2 at short spans, Di^2 + Da^2, which is checked
//   here against the simulated Di.
TEST(CliEndToEnd, FitRecoversDiAndDriftOfASimulatedRandomWalk) {
    TempDir dir;
    const std::string log = dir.File("walk.log");
    ASSERT_EQ(RunCli(dir, {"simulate", "--images", "4000", "--di", "0.05", "--da", "0", "--drift",
                           "0.01", "--drift-angle", "30", "--noise", "0.01", "--seed", "11", log})
                  .nStatus,
              0);
    const std::string out = dir.File("out");
    const CLIRUN run = RunCli(dir, {"evaluate", "--quiet", "--seed", "3", "--out", out, log});
    ASSERT_EQ(run.nStatus, 0) << run.strErr;
    const std::string model = ReadFileBytes(out + "/walk-s001-model.dat");
    ASSERT_EQ(model.size(), 8044u);
    const double di = Float32At(model, 8);
    const double da = Float32At(model, 12);
    const double s = Float32At(model, 20);
    EXPECT_NEAR(std::hypot(di, da) / 0.05, 1.0, 0.15) << "Di = " << di << ", Da = " << da;
    EXPECT_NEAR(s / 0.01, 1.0, 0.3) << "s = " << s;
}

TEST(CliEndToEnd, OutputFolderHoldsEveryFileOfEverySeries) {
    TempDir dir;
    const std::string log = dir.File("run1.log");
    ASSERT_EQ(RunCli(dir, {"simulate", "--images", "300", "--recordings", "2", log}).nStatus, 0);
    const std::string out = dir.File("a/b");
    const CLIRUN run = RunCli(dir, {"evaluate", "--seed", "2", "--out", out, log});
    ASSERT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(Count(run.strOut, "Astigmatism Stability Report"), 2u);
    for (const char* series : {"s001", "s002"}) {
        for (const char* kind : {"report.txt", "time.txt", "time.dat", "cfunc.txt", "cfunc.dat",
                                 "model.txt", "model.dat", "prob.txt", "prob.dat"}) {
            const std::string path = out + "/run1-" + series + "-" + kind;
            EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
        }
    }
    for (const char* series : {"s001", "s002"})
        for (const char* diagram : {"a22-time", "a22-plane", "cfunc", "model", "prob"})
            EXPECT_EQ(PngSize(out + "/run1-" + series + "-" + diagram + ".png"),
                      std::make_pair(583u, 339u))
                << series << diagram;
    EXPECT_EQ(ReadFileBytes(out + "/run1-s001-model.dat").size(), 8044u);
    EXPECT_EQ(ReadFileBytes(out + "/run1-s002-time.dat").size(), 8u + 12u * 300u);
    EXPECT_TRUE(ReadFileBytes(out + "/run1-s001-report.txt").starts_with(" \r\n ---"));

    // Without a fit the model and probability files do not exist, and the
    // log says why.
    const std::string direct = dir.File("direct");
    const CLIRUN noFit = RunCli(
        dir, {"evaluate", "--no-fit", "--series", "2", "--size", "300x200", "--out", direct, log});
    ASSERT_EQ(noFit.nStatus, 0) << noFit.strErr;
    EXPECT_EQ(Count(noFit.strOut, "Astigmatism Stability Report"), 1u);
    EXPECT_TRUE(Contains(noFit.strOut, ", series 002 ==="));
    EXPECT_TRUE(std::filesystem::exists(direct + "/run1-s002-cfunc.dat"));
    EXPECT_FALSE(std::filesystem::exists(direct + "/run1-s002-model.txt"));
    EXPECT_FALSE(std::filesystem::exists(direct + "/run1-s002-model.png"));
    EXPECT_FALSE(std::filesystem::exists(direct + "/run1-s002-prob.png"));
    EXPECT_EQ(PngSize(direct + "/run1-s002-cfunc.png"), std::make_pair(300u, 200u));
    EXPECT_FALSE(std::filesystem::exists(direct + "/run1-s001-time.txt"));
    EXPECT_TRUE(Contains(noFit.strErr, "has no fitted model (--no-fit): its model and "
                                       "probability files are not written."));

    const CLIRUN beyond = RunCli(dir, {"evaluate", "--no-fit", "--series", "3", log});
    EXPECT_EQ(beyond.nStatus, 1);
    EXPECT_EQ(beyond.strOut, "");
    EXPECT_TRUE(Contains(beyond.strErr, "ERROR: File [" + log +
                                            "] holds only 2 series; series 3 is not evaluated."));
}

TEST(CliEndToEnd, SeveralFilesOfBothFormats) {
    TempDir dir;
    const std::string c1a1 = dir.File("one.log");
    const std::string orvex = dir.File("two.dat");
    ASSERT_EQ(RunCli(dir, {"simulate", "--images", "300", "--seed", "1", c1a1}).nStatus, 0);
    ASSERT_EQ(
        RunCli(dir, {"simulate", "--format", "orvex", "--images", "300", "--seed", "2", orvex})
            .nStatus,
        0);
    const CLIRUN both = RunCli(dir, {"evaluate", "--seed", "1", c1a1, orvex});
    ASSERT_EQ(both.nStatus, 0) << both.strErr;
    EXPECT_TRUE(Contains(both.strOut, "=== " + c1a1 + ", series 001 ==="));
    EXPECT_TRUE(Contains(both.strOut, "=== " + orvex + ", series 001 ==="));
    EXPECT_TRUE(Contains(both.strErr, "Importing ORVEX Stability log from file [" + orvex + "]."));

    // A file that cannot be read does not stop the others.
    const std::string missing = dir.File("missing.log");
    const CLIRUN partly = RunCli(dir, {"evaluate", "--seed", "1", c1a1, missing, orvex});
    EXPECT_EQ(partly.nStatus, 1);
    EXPECT_EQ(Count(partly.strOut, "Astigmatism Stability Report"), 2u);

    // Forcing the other reader on a file finds nothing in it.
    const CLIRUN forced = RunCli(dir, {"evaluate", "--format", "orvex", c1a1});
    EXPECT_EQ(forced.nStatus, 1);
    EXPECT_TRUE(Contains(forced.strErr, "ERROR: Failed to load log data from file [" + c1a1));
}

TEST(CliEndToEnd, UnreadableInputsGiveStatusOneAndAMessage) {
    TempDir dir;
    const std::string missing = dir.File("missing.log");
    const CLIRUN none = RunCli(dir, {"evaluate", missing});
    EXPECT_EQ(none.nStatus, 1);
    EXPECT_TRUE(Contains(none.strErr, "ERROR: Failed to open file [" + missing + "]."));
    EXPECT_EQ(none.strOut, "");

    const std::string empty = dir.File("empty.log");
    WriteFileBytes(empty, "");
    const CLIRUN nothing = RunCli(dir, {"evaluate", empty});
    EXPECT_EQ(nothing.nStatus, 1);
    EXPECT_TRUE(Contains(nothing.strErr, "ERROR: File [" + empty + "] holds no series."));

    const CLIRUN folder = RunCli(dir, {"evaluate", dir.Path()});
    EXPECT_EQ(folder.nStatus, 1);
    EXPECT_TRUE(Contains(folder.strErr, "ERROR: Failed to open file [" + dir.Path() + "]."));

    // Too short for a characteristic function: read, but not evaluated.
    const std::string shortLog = dir.File("short.log");
    ASSERT_EQ(RunCli(dir, {"simulate", "--images", "50", shortLog}).nStatus, 0);
    const CLIRUN tooShort = RunCli(dir, {"evaluate", shortLog});
    EXPECT_EQ(tooShort.nStatus, 1);
    EXPECT_TRUE(Contains(tooShort.strErr, "could not be evaluated"));
}

TEST(CliEndToEnd, UsageErrorsGiveStatusTwo) {
    TempDir dir;
    const CLIRUN unknown = RunCli(dir, {"evaluate", "--bogus", "x.log"});
    EXPECT_EQ(unknown.nStatus, 2);
    EXPECT_EQ(Count(unknown.strErr, "\n"), 1u);
    EXPECT_TRUE(Contains(unknown.strErr, "'--bogus'"));
    EXPECT_EQ(RunCli(dir, {}).nStatus, 2);
    EXPECT_EQ(RunCli(dir, {"simulate", "--images", "many", dir.File("x")}).nStatus, 2);

    const CLIRUN help = RunCli(dir, {"--help"});
    EXPECT_EQ(help.nStatus, 0);
    EXPECT_TRUE(Contains(help.strOut, "tessaric-cli simulate [options] OUTFILE"));
    const CLIRUN version = RunCli(dir, {"--version"});
    EXPECT_EQ(version.strOut, "tessaric-cli 1.0.3 (build 210106)\n");
}

TEST(CliEndToEnd, LogFileOnlyWhenAsked) {
    TempDir dir;
    const std::string log = dir.File("sim.log");
    const std::string record = dir.File("records.txt");
    ASSERT_EQ(RunCli(dir, {"simulate", "--quiet", "--log", record, log}).nStatus, 0);
    EXPECT_TRUE(Contains(ReadFileBytes(record), "Simulated C1A1 log with 1 recording(s) of 500 "
                                                "images saved to file [" +
                                                    log + "]."));
    // Nothing reaches the program data folder of the test environment.
    const char* dataDir = std::getenv("TESSARIC_DATA_DIR");
    if (dataDir) {
        EXPECT_FALSE(std::filesystem::exists(std::string(dataDir) + "/tessaric-cli/Log.txt"));
    }
    // Without --out no diagram is drawn, so Qt does not start and does not
    // create its runtime folder.
    const std::string runtime = dir.File("runtime");
    const CLIRUN evaluate =
        RunCli(dir, {"evaluate", "--no-fit", log}, "env XDG_RUNTIME_DIR=" + Quoted(runtime));
    EXPECT_EQ(evaluate.nStatus, 0) << evaluate.strErr;
    EXPECT_FALSE(std::filesystem::exists(runtime));
}

TEST(CliEndToEnd, FilesThatAreNoLogsNeverHang) {
    TempDir dir;
    const std::string pipe = dir.File("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const char* format : {"auto", "c1a1", "orvex"}) {
        const CLIRUN run = RunCli(dir, {"evaluate", "--format", format, pipe});
        EXPECT_EQ(run.nStatus, 1) << format;
        EXPECT_TRUE(Contains(run.strErr, "ERROR: Failed to open file [" + pipe + "]."));
    }
    const CLIRUN device = RunCli(dir, {"evaluate", "/dev/zero"});
    EXPECT_EQ(device.nStatus, 1);
    EXPECT_TRUE(Contains(device.strErr, "ERROR: Failed to open file [/dev/zero]."));

    // Binary bytes without a single line end, NUL bytes included.
    std::string binary(3 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) {
        const char byte = static_cast<char>((i * 131) % 251);
        binary[i] = byte == '\n' ? '\0' : byte;
    }
    const std::string image = dir.File("image.bin");
    WriteFileBytes(image, binary);
    const CLIRUN garbage = RunCli(dir, {"evaluate", image});
    EXPECT_EQ(garbage.nStatus, 1);
    EXPECT_TRUE(Contains(garbage.strErr, "ERROR: File [" + image + "] holds no series."));

    // A pipe nobody reads is no log file and no simulated log either.
    const std::string log = dir.File("sim.log");
    const CLIRUN logToPipe = RunCli(dir, {"simulate", "--log", pipe, log});
    EXPECT_EQ(logToPipe.nStatus, 1);
    EXPECT_TRUE(Contains(logToPipe.strErr, "'--log'"));
    const CLIRUN simulateToPipe = RunCli(dir, {"simulate", pipe});
    EXPECT_EQ(simulateToPipe.nStatus, 1);
    EXPECT_TRUE(std::filesystem::is_fifo(pipe)) << "the pipe is not replaced by a file";
}

TEST(CliEndToEnd, OutputThatCannotBeWrittenIsAFailure) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    ASSERT_EQ(RunCli(dir, {"simulate", "--images", "300", log}).nStatus, 0);

    // --out below a regular file: the reports still come, the file stays.
    const std::string plain = dir.File("plain");
    WriteFileBytes(plain, "x");
    const CLIRUN below = RunCli(dir, {"evaluate", "--no-fit", "--out", plain + "/out", log});
    EXPECT_EQ(below.nStatus, 1);
    EXPECT_TRUE(
        Contains(below.strErr, "ERROR: Failed to create the output folder [" + plain + "/out]"));
    EXPECT_TRUE(Contains(below.strOut, "Astigmatism Stability Report"));
    EXPECT_EQ(ReadFileBytes(plain), "x");

    // A full disk behind stdout loses the reports.
    const CLIRUN full = RunCli(dir, {"evaluate", "--no-fit", log}, "", "/dev/full");
    EXPECT_EQ(full.nStatus, 1);
    EXPECT_TRUE(
        Contains(full.strErr, "ERROR: Failed to write the reports to the standard output."));
}

TEST(CliEndToEnd, UnreachableDisplayDoesNotAbortTheDiagrams) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    ASSERT_EQ(RunCli(dir, {"simulate", "--images", "300", log}).nStatus, 0);
    const std::string out = dir.File("out");
    const CLIRUN run = RunCli(dir, {"evaluate", "--no-fit", "--out", out, log},
                              "env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=:97");
    EXPECT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_EQ(PngSize(out + "/run-s001-cfunc.png"), std::make_pair(583u, 339u));
}

TEST(CliEndToEnd, LogsOfTheSameNameKeepTheirOwnFiles) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("a"));
    std::filesystem::create_directories(dir.File("b"));
    const std::vector<std::string> logs = {dir.File("a/run.log"), dir.File("b/run.log"),
                                           dir.File("run_2.log")};
    for (std::size_t i = 0; i < logs.size(); ++i)
        ASSERT_EQ(
            RunCli(dir, {"simulate", "--images", std::to_string(300 + 10 * i), logs[i]}).nStatus,
            0);
    const std::string out = dir.File("out");
    std::vector<std::string> arguments = {"evaluate", "--no-fit", "--quiet", "--out", out};
    arguments.insert(arguments.end(), logs.begin(), logs.end());
    ASSERT_EQ(RunCli(dir, arguments).nStatus, 0);
    // Each series' time table holds its own number of images: 8 + 12 per image.
    EXPECT_EQ(ReadFileBytes(out + "/run-s001-time.dat").size(), 8u + 12u * 300u);
    EXPECT_EQ(ReadFileBytes(out + "/run_2-s001-time.dat").size(), 8u + 12u * 310u);
    EXPECT_EQ(ReadFileBytes(out + "/run_2_2-s001-time.dat").size(), 8u + 12u * 320u);
}

// The block follows the report on stdout and in the saved report, the table
// holds one row per replicate, and a run without a terminal shows no
// progress line.
TEST(CliEndToEnd, ConfidenceAddsTheBlockAndTheReplicateTable) {
    TempDir dir;
    const std::string log = dir.File("walk.log");
    ASSERT_EQ(RunCli(dir, {"simulate", "--images", "300", "--noise", "0.05", log}).nStatus, 0);
    const std::string out = dir.File("out");
    const CLIRUN run =
        RunCli(dir, {"evaluate", "--seed", "4", "--confidence", "20", "--out", out, log});
    ASSERT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_TRUE(Contains(run.strOut, "\n  Confidence (90 %, 20 replicates)\n"));
    EXPECT_TRUE(Contains(run.strOut, "   - failed replicates           : 0 of 20\n"));
    EXPECT_TRUE(Contains(ReadFileBytes(out + "/walk-s001-report.txt"),
                         "  Confidence (90 %, 20 replicates)\r\n"));
    const std::string table = ReadFileBytes(out + "/walk-s001-confidence.txt");
    EXPECT_EQ(Count(table, "\r\n"), 5u + 20u);
    EXPECT_TRUE(Contains(table, "# - replicates: 20, failed: 0, seed: 4\r\n"));
    EXPECT_FALSE(Contains(run.strErr, "confidence replicate"));
}

// Two recordings, the second evaluated without a model (--no-fit applies to
// the whole run, so it is a run of its own): the summary has a row per series
// with empty model fields, the HTML the same bytes twice with the input's
// digest, the PDF a page per series.
TEST(CliEndToEnd, SummaryHtmlAndPdfOfEverySeries) {
    TempDir dir;
    const std::string log = dir.File("run,1.log");
    ASSERT_EQ(RunCli(dir, {"simulate", "--images", "300", "--recordings", "2", log}).nStatus, 0);
    const std::string html = dir.File("a.html");
    const std::string pdf = dir.File("a.pdf");
    const std::string csv = dir.File("a.csv");
    const CLIRUN run = RunCli(dir, {"evaluate", "--quiet", "--seed", "7", "--confidence", "20",
                                    "--summary", csv, "--html", html, "--pdf", pdf, log});
    ASSERT_EQ(run.nStatus, 0) << run.strErr;
    const std::string first = ReadFileBytes(html);
    ASSERT_EQ(RunCli(dir, {"evaluate", "--quiet", "--seed", "7", "--confidence", "20", "--html",
                           html, log})
                  .nStatus,
              0);
    EXPECT_EQ(ReadFileBytes(html), first);
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(ReadFileBytes(log)),
                                 QCryptographicHash::Sha256)
            .toHex();
    EXPECT_EQ(Count(first, digest.toStdString()), 2u);
    EXPECT_EQ(Count(first, "data:image/png;base64,"), 12u);
    EXPECT_TRUE(Contains(first, "Confidence (90 %, 20 replicates)"));
    EXPECT_FALSE(Contains(first, "report of "));
    const std::string dated = dir.File("dated.html");
    ASSERT_EQ(RunCli(dir, {"evaluate", "--quiet", "--seed", "7", "--html", dated, log},
                     "env SOURCE_DATE_EPOCH=1700000000")
                  .nStatus,
              0);
    EXPECT_TRUE(Contains(ReadFileBytes(dated), "report of 2023-11-14 22:13:20 UTC"));

    const std::string pdfBytes = ReadFileBytes(pdf);
    EXPECT_TRUE(pdfBytes.starts_with("%PDF"));
    EXPECT_EQ(Count(pdfBytes, "/Type /Page\n") + Count(pdfBytes, "/Type /Page\r") +
                  Count(pdfBytes, "/Type /Page/") + Count(pdfBytes, "/Type /Page "),
              2u);

    const std::string direct = dir.File("direct.csv");
    ASSERT_EQ(RunCli(dir, {"evaluate", "--quiet", "--no-fit", "--summary", direct, log}).nStatus,
              0);
    // A standard CSV reader: the rows, their width, the quoted file name and
    // the empty model fields of the direct evaluation.
    if (std::system("python3 -c 'import csv' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3 is not available to read the CSV";
    const std::string check = dir.File("check.py");
    WriteFileBytes(check, R"(import csv, sys
for path, model in ((sys.argv[1], True), (sys.argv[2], False)):
    rows = list(csv.reader(open(path, newline='', encoding='utf-8')))
    assert rows[0][0].startswith('Tessaric v'), rows[0]
    header, data = rows[1], rows[2:]
    assert len(data) == 2, data
    assert all(len(r) == len(header) for r in data)
    for row in data:
        r = dict(zip(header, row))
        assert r['file'] == sys.argv[3], r['file']
        assert float(r['images']) == 300
        assert (r['Di [nm]'] != '') == model, r
        assert (r['model lifetime 5% [s]'] != '') == model, r
        assert r['state'] == ('model fitted' if model else 'direct method only'), r
        assert all(v.lower() != 'nan' for v in row)
)");
    const int status = std::system(
        ("python3 " + Quoted(check) + " " + Quoted(csv) + " " + Quoted(direct) + " " + Quoted(log))
            .c_str());
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Two recordings whose random walks differ threefold in strength, and one
// against itself: the table, the verdict and the overlaid diagrams.
TEST(CliEndToEnd, CompareGivesTableVerdictAndDiagrams) {
    TempDir dir;
    const std::string weak = dir.File("weak.log");
    const std::string strong = dir.File("strong.log");
    for (const auto& [log, di] : {std::pair{weak, "0.03"}, std::pair{strong, "0.09"}})
        ASSERT_EQ(RunCli(dir, {"simulate", "--images", "300", "--di", di, "--noise", "0.02",
                               "--recordings", "2", log})
                      .nStatus,
                  0);
    const std::string html = dir.File("c.html");
    const CLIRUN run = RunCli(dir, {"compare", "--quiet", "--seed", "3", "--confidence", "40",
                                    "--html", html, weak + ":1", strong + ":2"});
    ASSERT_EQ(run.nStatus, 0) << run.strErr;
    EXPECT_TRUE(run.strOut.starts_with("Comparison of 2 series\n  1: weak.log, series 001 (model "
                                       "fitted)\n  2: strong.log, series 002 (model fitted)\n"))
        << run.strOut;
    EXPECT_TRUE(Contains(run.strOut, "\nmodel lifetime [s]    "));
    EXPECT_TRUE(Contains(run.strOut, "replicate pairs): changed\n")) << run.strOut;
    const std::string page = ReadFileBytes(html);
    EXPECT_EQ(Count(page, "data:image/png;base64,"), 2u);
    EXPECT_TRUE(Contains(page, ": changed</b>"));

    const CLIRUN same = RunCli(
        dir, {"compare", "--quiet", "--seed", "3", "--confidence", "40", weak + ":1", weak + ":2"});
    ASSERT_EQ(same.nStatus, 0) << same.strErr;
    EXPECT_TRUE(Contains(same.strOut, "replicate pairs): no change shown\n")) << same.strOut;
    const CLIRUN three = RunCli(
        dir, {"compare", "--quiet", "--seed", "3", "--confidence", "20", weak, strong + ":1"});
    EXPECT_EQ(Count(three.strOut, "series 00"), 3u);
    EXPECT_FALSE(Contains(three.strOut, "ratio"));
    EXPECT_EQ(RunCli(dir, {"compare", weak + ":9"}).nStatus, 1);
}

TEST(CliEndToEnd, HostileLogsEndInStatusOneWithoutNonsense) {
    TempDir dir;
    const std::string huge = dir.File("huge.log");
    WriteFileBytes(huge, GeneratedC1A1Log(0, 400, 200, 50));
    const CLIRUN overflow = RunCli(dir, {"evaluate", "--seed", "1", huge});
    EXPECT_EQ(overflow.nStatus, 1);
    EXPECT_TRUE(Contains(overflow.strErr, "could not be evaluated"));
    for (const char* nonsense : {"nan", "NAN", "inf"})
        EXPECT_FALSE(Contains(overflow.strOut, nonsense)) << nonsense;

    // /dev/full opens, then refuses every byte.
    const std::string good = dir.File("good.log");
    WriteFileBytes(good, GeneratedC1A1Log(0, 400, 200));
    const CLIRUN full = RunCli(dir, {"evaluate", "--seed", "1", "--log", "/dev/full", good});
    EXPECT_EQ(full.nStatus, 1);
    EXPECT_EQ(Count(full.strErr, "ERROR: "), 1u) << full.strErr;
    EXPECT_TRUE(Contains(full.strErr, "ERROR: Failed to write the log file [/dev/full]"));
    EXPECT_TRUE(Contains(full.strOut, "Astigmatism Stability Report"));
}

// Whatever the log, no file written holds "nan" or "inf"; a file that would
// is left out with a record that says why, and the exit status tells a
// failed output from a left-out one.
TEST(CliEndToEnd, WrittenFilesHoldOnlyNumbersAndWords) {
    struct OUTPUTCASE {
        const char* pszCase;
        std::string strLog;
        std::vector<std::string> options;
        int nStatus;
        std::vector<std::string> absent;  // kinds of <stem>-s001-<kind> not written
        std::vector<std::string> records; // on stderr
    };
    std::string repeated = GeneratedC1A1Log(0, 400, 200);
    repeated.replace(repeated.find("#60:"), 4, "#59:");
    const OUTPUTCASE cases[] = {
        {"no time base",
         GeneratedC1A1Log(400, 400, 200),
         {},
         0,
         {"model.txt", "model.dat", "prob.txt", "prob.dat"},
         {"has no time base (its stop time is not after its start time): its model and "
          "probability files are not written."}},
        {"beyond float",
         GeneratedC1A1Log(0, 400, 200, 50, "1e20"),
         {},
         1,
         {"cfunc.dat"},
         {"Warning: The astigmatism value of image #50 is too large to be a measurement",
          "does not fit the 32-bit floats of file ["}},
        {"repeated image", repeated, {"--confidence", "20"}, 0, {"confidence.txt"}, {}},
    };
    for (const OUTPUTCASE& c : cases) {
        SCOPED_TRACE(c.pszCase);
        TempDir dir;
        WriteFileBytes(dir.File("run.log"), c.strLog);
        std::vector<std::string> arguments{"evaluate", "--seed", "1", "--out", dir.File("out")};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(dir.File("run.log"));
        const CLIRUN run = RunCli(dir, arguments);
        EXPECT_EQ(run.nStatus, c.nStatus) << run.strErr;
        for (const std::string& record : c.records)
            EXPECT_TRUE(Contains(run.strErr, record)) << record << "\n" << run.strErr;
        for (const std::string& kind : c.absent)
            EXPECT_FALSE(std::filesystem::exists(dir.File("out/run-s001-" + kind))) << kind;
        for (const auto& entry : std::filesystem::directory_iterator(dir.File("out"))) {
            if (entry.path().extension() != ".txt")
                continue;
            const std::string text = ReadFileBytes(entry.path().string());
            EXPECT_FALSE(HoldsNonFiniteNumber(text) || Contains(text, "E+305")) << entry.path();
        }
    }
    TempDir dir;
    WriteFileBytes(dir.File("run.log"), repeated);
    const CLIRUN refused =
        RunCli(dir, {"evaluate", "--seed", "1", "--confidence", "20", dir.File("run.log")});
    EXPECT_TRUE(Contains(refused.strOut, "Confidence (90 %)\n   - no intervals were computed: "
                                         "image number 59 follows image number 59"))
        << refused.strOut;
}

// A stem that fills a file name, and a stdout whose reader has gone: every
// file is still written; only the lost stdout makes the run a failure.
TEST(CliEndToEnd, LongStemsAndAClosedStdoutKeepTheFiles) {
    TempDir dir;
    const std::string stem(230, 'x');
    WriteFileBytes(dir.File(stem + ".log"), GeneratedC1A1Log(0, 400, 200));
    const std::vector<std::string> arguments{"evaluate", "--seed",        "1",
                                             "--out",    dir.File("out"), dir.File(stem + ".log")};
    const CLIRUN longStem = RunCli(dir, arguments);
    EXPECT_EQ(longStem.nStatus, 0) << longStem.strErr;
    EXPECT_EQ(FilesIn(dir.File("out")), 16u);

    std::filesystem::remove_all(dir.File("out"));
    const CLIRUN piped = RunCliIntoClosedPipe(dir, arguments);
    EXPECT_EQ(piped.nStatus, 1) << piped.strErr;
    EXPECT_TRUE(
        Contains(piped.strErr, "ERROR: Failed to write the reports to the standard output."));
    EXPECT_EQ(FilesIn(dir.File("out")), 16u);
}

// A resolution so small that its tolerance underflows to 0 gives no
// lifetime: the report says so for every lifetime instead of "0.0 s".
TEST(CliEndToEnd, LifetimeInErrorSaysSoInTheReport) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    WriteFileBytes(log, GeneratedC1A1Log(0, 400, 200));
    const CLIRUN run = RunCli(dir, {"evaluate", "--seed", "1", "--resolution", "1e-200", log});
    EXPECT_TRUE(Contains(run.strOut, "Estimated lifetime: error during evaluation")) << run.strOut;
    EXPECT_TRUE(Contains(run.strOut, "astigmatism tolerance: error during evaluation"));
    EXPECT_FALSE(Contains(run.strOut, " 0.0 s")) << run.strOut;
}
