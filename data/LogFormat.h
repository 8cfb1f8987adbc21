#pragma once

#include <cstdint>
#include <string>

class CA1SeriesList;
class CLogFile;

// Result of ImportLogOfType for an import type that no reader handles;
// nothing was read.
inline constexpr int kImportUnsupportedType = -2;

// The import type (data/LogImport.h) that a log's content calls for: a file
// with an ORVEXStab header line is an ORVEXStab table, any other file is
// taken as a C1A1 log, whose reader reports when it finds no recording. A
// file that cannot be read is a C1A1 log here; its reader then reports the
// failed open.
std::int32_t DetectImportType(const std::string& path);

// Reads the log with the reader of `nImportType` (kImportTypeC1A1 or
// kImportTypeORVEX) and appends its series to `list`, extracted with
// nMirrorY and dRotDeg. Returns what the reader returns, or
// kImportUnsupportedType for any other type.
int ImportLogOfType(std::int32_t nImportType, const std::string& path, CLogFile& log,
                    std::int32_t nMirrorY, double dRotDeg, CA1SeriesList& list);
