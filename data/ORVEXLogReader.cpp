#include "data/ORVEXLogReader.h"

#include "data/CA1SeriesList.h"
#include "data/LogImport.h"
#include "infra/CLogFile.h"
#include "infra/CNumber.h"

#include <array>
#include <string_view>

// The table's header starts with "img" in its first column and names the
// four astigmatism columns and the time column somewhere after it.
bool IsORVEXHeaderLine(std::string_view line) {
    if (line.find("img") != 0)
        return false;
    static constexpr std::array<std::string_view, 5> kColumns = {"a22x", "err(a22x)", "a22y",
                                                                 "err(a22y)", "filetime"};
    // Position 2 or later: none of the names may overlap the leading "img".
    constexpr std::size_t kEarliestColumn = 2;
    for (const std::string_view column : kColumns) {
        const std::size_t at = line.find(column);
        if (at == std::string_view::npos || at < kEarliestColumn)
            return false;
    }
    return true;
}

namespace {

bool IsStopLine(std::string_view line) {
    return !line.empty() && line.front() == '#';
}

// Only blanks: a tab is part of the value it stands next to.
std::string TrimBlanks(std::string_view line) {
    const std::size_t last = line.find_last_not_of(' ');
    if (last == std::string_view::npos)
        return {};
    line = line.substr(0, last + 1);
    return std::string(line.substr(line.find_first_not_of(' ')));
}

// Tabs count as separators here, unlike in the column walk: a tab between
// two values shows that the line went on past them.
std::size_t CountColumns(std::string_view line) {
    constexpr std::string_view kSeparators = " \t";
    std::size_t count = 0;
    for (std::size_t at = line.find_first_not_of(kSeparators); at != std::string_view::npos;
         at = line.find_first_not_of(kSeparators, line.find_first_of(kSeparators, at)))
        ++count;
    return count;
}

// A line that ends before the header's last column was cut while it was
// written (a copy taken while the instrument records). Its last value would
// stand in for every missing column and its time for the end of the
// recording, so it is no data line. Empty and "not used" lines are the
// recorder's own and stay data lines.
bool IsCutLine(std::string_view trimmed, std::size_t headerColumns) {
    return !trimmed.empty() && trimmed.find("not used") == std::string_view::npos &&
           CountColumns(trimmed) < headerColumns;
}

// The last column holds the time in whole seconds. An empty line gets
// `fallback`, which keeps the period plausible.
std::int32_t TimeValue(std::string_view line, std::int32_t fallback) {
    if (line.empty())
        return fallback;
    const std::size_t blank = line.rfind(' ');
    return ParseCInt(blank == std::string_view::npos ? line : line.substr(blank + 1));
}

} // namespace

int ImportORVEXLog(const std::string& path, CLogFile& log, std::int32_t nMirrorY, double dRotDeg,
                   CA1SeriesList& list) {
    CA1TimeSeries work(&log);
    CLogImportFile file(log, path);
    if (!file.Open("Importing ORVEX Stability log"))
        return kImportOpenFailed;

    bool headerFound = false;
    std::size_t headerColumns = 0;
    std::uint32_t dataLines = 0;
    std::string line;
    while (file.ReadLine(line)) {
        if (!headerFound) {
            if (IsORVEXHeaderLine(line)) {
                log.WriteDebug("Found ORVEXStab log start.", kDebugRecord);
                work.Reset();
                work.m_strFileName = path;
                work.m_nFirstLine = file.LineNumber();
                work.m_LogLines.push_back(line);
                headerColumns = CountColumns(line);
                headerFound = true;
            }
            continue;
        }
        if (IsStopLine(line)) {
            log.WriteDebug("Found ORVEXStab log stop.", kDebugRecord);
            work.m_LogLines.emplace_back("#");
            work.m_nLastLine = file.LineNumber();
            break; // one table per file: the rest is not ours
        }
        std::string trimmed = TrimBlanks(line);
        if (IsCutLine(trimmed, headerColumns)) {
            log.WriteLine(FormatC("Warning: Line %d of file [", file.LineNumber()) + path +
                          "] holds fewer values than the header names columns; it is not read "
                          "as a data line.");
            continue;
        }
        // Empty and "not used" lines count too; the extraction skips them.
        ++dataLines;
        if (file.Debugging(kDebugRecord))
            log.WriteDebug(FormatC("Found ORVEXStab log data line #%u.", dataLines), kDebugRecord);
        work.m_LogLines.push_back(std::move(trimmed));
        work.m_nLastLine = file.LineNumber();
        work.m_nDataLines = dataLines;
    }
    // A table cut short by a read error is not the recording: it is dropped
    // like a table without data lines.
    const bool complete = file.Finish();
    if (work.m_nDataLines == 0 || !complete) {
        file.ReportLoaded(false);
        return 0;
    }

    // Empty first and last lines fall back to 1 and the line count, so that
    // the period still comes out as about one second per line.
    work.m_nStartTime = TimeValue(work.m_LogLines[1], 1);
    work.m_nStopTime =
        TimeValue(work.m_LogLines[work.m_nDataLines], static_cast<std::int32_t>(work.m_nDataLines));
    work.m_nImportType = kImportTypeORVEX;
    work.ExtractORVEX(nMirrorY, dRotDeg);
    file.AppendSeries(work, list);
    file.ReportLoaded(true);
    file.ReportAdded(1);
    return 1;
}
