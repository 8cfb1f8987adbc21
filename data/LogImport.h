#pragma once

#include "infra/CTextFile.h"

#include <cstdint>
#include <string>

class CA1SeriesList;
class CA1TimeSeries;
class CLogFile;

// Result of a log import when the file could not be opened at all; any other
// result is the number of series the import appended to the list. A caller
// can so tell a missing file from a file without recordings.
inline constexpr int kImportOpenFailed = -1;

// Which of the two readers built a series; selects its extraction.
inline constexpr std::int32_t kImportTypeC1A1 = 1;
inline constexpr std::int32_t kImportTypeORVEX = 2;

// Debug levels of the import messages: the outcome of a file, the progress
// through it, and each record found in it.
inline constexpr std::uint32_t kDebugFileOutcome = 2;
inline constexpr std::uint32_t kDebugFileProgress = 3;
inline constexpr std::uint32_t kDebugRecord = 4;

// The steps both log readers share: announcing and opening the file,
// reading it line by line with a line counter, and appending a finished
// series to the list.
class CLogImportFile {
public:
    CLogImportFile(CLogFile& log, const std::string& path) : m_Log(log), m_strPath(path) {}

    // Writes `announcement` + " from file [path].", opens the file and
    // reports the failure when it cannot be opened.
    bool Open(const std::string& announcement);
    // The next line (line end removed); counts it.
    bool ReadLine(std::string& line);
    // Closes the file after the last line that was read. False when a read
    // error, not the end of the file, ended the lines.
    bool Finish();

    // Number of the line read last, counting from 1 (saturates at the
    // largest 32-bit number, which no real log reaches).
    std::int32_t LineNumber() const;

    // True when a debug record of `level` would be written, so that per-line
    // records are formatted only when somebody reads them.
    bool Debugging(std::uint32_t level) const;

    // Appends a copy of `series` to `list` and reports it.
    void AppendSeries(const CA1TimeSeries& series, CA1SeriesList& list);
    // The file's outcome: a debug record when it was loaded, an error when
    // it was not (no recording, or cut short by a read error).
    void ReportLoaded(bool loaded);
    // "Added %d new A1-time series to the data list."
    void ReportAdded(int count);

    const std::string& Path() const { return m_strPath; }
    CLogFile& Log() { return m_Log; }

private:
    CLogFile& m_Log;
    std::string m_strPath;
    CTextFileReader m_Reader;
    std::int64_t m_nLineCounter = 0;
};
