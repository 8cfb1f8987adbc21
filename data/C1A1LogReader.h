#pragma once

#include <cstdint>
#include <string>

class CA1SeriesList;
class CLogFile;

// Reads a CEOS C1A1 log, which may hold any number of recordings, and
// appends every complete recording with data lines to `list`, extracted with
// nMirrorY and dRotDeg. Reports to `log`. Returns the number of series
// appended, or kImportOpenFailed (data/LogImport.h) when the file could not
// be opened. Refreshing any display of the list is the caller's task.
int ImportC1A1Log(const std::string& path, CLogFile& log, std::int32_t nMirrorY, double dRotDeg,
                  CA1SeriesList& list);
