#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CA1SeriesList;
class CLogFile;

// True for the header line of an ORVEXStab table: "img" at its very start,
// the four astigmatism columns and "filetime" after it.
bool IsORVEXHeaderLine(std::string_view line);

// Reads an ORVEXStab stability table (one recording per file) and appends it
// to `list`, extracted with nMirrorY and dRotDeg. Reports to `log`. Returns 1
// when a series was appended, 0 when the file holds no table with data lines,
// or kImportOpenFailed (data/LogImport.h) when the file could not be opened.
// Refreshing any display of the list is the caller's task.
int ImportORVEXLog(const std::string& path, CLogFile& log, std::int32_t nMirrorY, double dRotDeg,
                   CA1SeriesList& list);
