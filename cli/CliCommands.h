#pragma once

#include "cli/CliOptions.h"

#include <cstdio>
#include <functional>

class CLogFile;
class CTerminalProgress;

// Exit statuses of tessaric-cli.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1; // a log gave no evaluated series, or a file was not written
inline constexpr int kExitUsage = 2;

// Points the program log at stderr (unless quiet) and at the log file the
// options name. False when that file cannot be opened. A record on stderr
// first wipes the progress line of pProgress, if one is shown.
bool ConfigureCliLog(const CLIOPTIONS& options, CLogFile& log,
                     CTerminalProgress* pProgress = nullptr);

// Configures the log (a record on stderr first wipes the progress line of
// pProgress, if one is shown) and runs `command` with it. A --log file that
// cannot be opened, or that loses records part way (a full disk), gives one
// "ERROR: " line on `err` and exit status 1; the command runs all the same,
// its records still reaching stderr.
int RunWithCliLog(const CLIOPTIONS& options, CLogFile& log, std::FILE* err,
                  const std::function<int(CLogFile&)>& command,
                  CTerminalProgress* pProgress = nullptr);

// Evaluates every series of every log and prints the reports to `out`;
// pProgress, when given, shows the progress of long evaluations.
int RunEvaluate(const EVALUATEOPTIONS& options, CLogFile& log, std::FILE* out,
                CTerminalProgress* pProgress = nullptr);

// Evaluates the series that the LOG[:SERIES] arguments name, with their
// bootstraps, and prints the comparison table and, for two series, the
// verdict on their model lifetimes.
int RunCompare(const EVALUATEOPTIONS& options, CLogFile& log, std::FILE* out,
               CTerminalProgress* pProgress = nullptr);

// Writes the simulated log.
int RunSimulate(const CLIOPTIONS& options, CLogFile& log);
