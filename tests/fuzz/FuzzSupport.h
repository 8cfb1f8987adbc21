#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CA1SeriesList;
class CLogFile;

// The readers' shape, so that one harness body serves both.
using LogReader = int (*)(const std::string&, CLogFile&, std::int32_t, double, CA1SeriesList&);

// A folder of this process below the system's temporary folder, made on the
// first call; the harnesses write their input and every export into it.
const std::string& FuzzFolder();

// Writes the fuzzer's bytes to a file in FuzzFolder() and returns its path.
std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size, const char* name);

// Imports the bytes as a log with `reader`, with the debug records of every
// level formatted (nobody reads them) and the given extraction settings.
CA1SeriesList ImportFuzzInput(LogReader reader, const std::uint8_t* data, std::size_t size,
                              std::int32_t nMirrorY, double dRotDeg, CLogFile& log);

// Runs every series through the whole evaluation of the window and the
// command-line program with a fixed seed, builds the report and writes every
// export into FuzzFolder().
void EvaluateAndExportAll(CA1SeriesList& list);
