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

// One run of a reader harness: the bytes as a log, read and extracted.
void FuzzReaderAlone(LogReader reader, const std::uint8_t* data, std::size_t size);

// One run of a chain harness: the bytes as a log, extracted mirrored and
// turned, then every series through the whole evaluation of the window and
// the command-line program with a fixed seed, the report and every export
// into FuzzFolder().
void FuzzWholeChain(LogReader reader, const std::uint8_t* data, std::size_t size);
