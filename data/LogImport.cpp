#include "data/LogImport.h"

#include "data/CA1SeriesList.h"
#include "infra/CLogFile.h"
#include "infra/CNumber.h"

#include <algorithm>
#include <limits>

bool CLogImportFile::Open(const std::string& announcement) {
    m_Log.WriteLine(announcement + " from file [" + m_strPath + "].");
    m_Log.WriteDebug("Opening file [" + m_strPath + "] for import.", kDebugFileProgress);
    // Another program may hold the file open; on this system that does not
    // keep us from reading it, so the file is opened normally.
    if (!m_Reader.Open(m_strPath)) {
        m_Log.WriteLine("ERROR: Failed to open file [" + m_strPath + "].");
        return false;
    }
    m_Log.WriteDebug("Reading log file lines ...", kDebugFileProgress);
    m_nLineCounter = 0;
    return true;
}

bool CLogImportFile::ReadLine(std::string& line) {
    if (!m_Reader.ReadLine(line))
        return false;
    ++m_nLineCounter;
    return true;
}

bool CLogImportFile::Finish() {
    m_Log.WriteDebug("Finished reading log file lines.", kDebugFileProgress);
    const bool complete = !m_Reader.Failed();
    m_Reader.Close();
    return complete;
}

std::int32_t CLogImportFile::LineNumber() const {
    constexpr std::int64_t kLargest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::min(m_nLineCounter, kLargest));
}

bool CLogImportFile::Debugging(std::uint32_t level) const {
    return level != 0 && level <= m_Log.m_nDebugLevel;
}

void CLogImportFile::AppendSeries(const CA1TimeSeries& series, CA1SeriesList& list) {
    list.Append(series);
    // The span is computed in 64 bits: two clamped 32-bit time values can lie
    // further apart than a 32-bit number holds.
    const long long span =
        static_cast<long long>(series.m_nStopTime) - static_cast<long long>(series.m_nStartTime);
    m_Log.WriteDebug(
        FormatC("Added A1-time series log (#%d) with %u data sets, total timespan %lld s.",
                static_cast<int>(list.size()), series.m_nDataLines, span),
        kDebugFileProgress);
}

void CLogImportFile::ReportLoaded(bool loaded) {
    if (loaded)
        m_Log.WriteDebug("Successfully loaded log data from file [" + m_strPath + "].",
                         kDebugFileOutcome);
    else
        m_Log.WriteLine("ERROR: Failed to load log data from file [" + m_strPath + "].");
}

void CLogImportFile::ReportAdded(int count) {
    m_Log.WriteLine(FormatC("Added %d new A1-time series to the data list.", count));
}
