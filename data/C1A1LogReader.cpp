#include "data/C1A1LogReader.h"

#include "data/CA1SeriesList.h"
#include "data/LogImport.h"
#include "infra/CLogFile.h"
#include "infra/CNumber.h"

#include <string_view>

namespace {

constexpr std::string_view kStartMarker = "C1A1 series successfully started.";
constexpr std::string_view kStopMarker = "C1A1 series stopped by user.";
// Any stop reason ends a running recording; only the user's stop is
// recognised before the start time stamp.
constexpr std::string_view kStopPrefix = "C1A1 series stopped";
constexpr std::string_view kTimeTag = "dTime:";

// A recording reads: start marker, start time stamp, data lines, stop
// marker, stop time stamp.
enum class ERecordingState { Searching, Started, Recording, Stopped };

struct TIMESTAMP {
    std::string strText; // from "dTime:" to the first "s" after it
    std::int32_t nSeconds = 0;
};

bool FindTimeStamp(std::string_view line, TIMESTAMP& stamp) {
    const std::size_t tag = line.find(kTimeTag);
    if (tag == std::string_view::npos)
        return false;
    const std::size_t unit = line.find('s', tag);
    if (unit == std::string_view::npos)
        return false;
    stamp.strText.assign(line.substr(tag, unit - tag + 1));
    // Whatever the unit and fraction, the whole number counts as seconds.
    const std::size_t valueAt = tag + kTimeTag.size();
    stamp.nSeconds = ParseCInt(line.substr(valueAt, unit - valueAt));
    return true;
}

// A data line names C1, then A1, then a value separator " / ", and numbers
// its image with a "#". The kept text runs from the last "#" to the end of
// the first "cnts" behind the separator.
bool FindDataText(std::string_view line, std::string& text) {
    const std::size_t c1 = line.find("C1:");
    if (c1 == std::string_view::npos)
        return false;
    const std::size_t a1 = line.find("A1:", c1);
    if (a1 == std::string_view::npos)
        return false;
    const std::size_t separator = line.find(" / ", a1);
    if (separator == std::string_view::npos)
        return false;
    const std::size_t hash = line.rfind('#');
    if (hash == std::string_view::npos)
        return false;

    // Without "cnts" behind the separator, or with the "#" behind it, the
    // length falls below 4 and the text keeps at most "#" and two more
    // characters, which the extraction never accepts; the line still counts.
    const std::size_t counts = line.find("cnts", separator);
    const long long countsAt =
        counts == std::string_view::npos ? -1 : static_cast<long long>(counts);
    const long long length = countsAt - static_cast<long long>(hash) + 4;
    std::size_t end = hash + static_cast<std::size_t>(std::max(length, 0LL));
    end = std::min(end, line.size());
    // A cut inside a multi-byte character would leave invalid UTF-8 behind.
    while (end > hash && end < line.size() &&
           (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
        --end;
    text.assign(line.substr(hash, end - hash));
    return true;
}

} // namespace

int ImportC1A1Log(const std::string& path, CLogFile& log, std::int32_t nMirrorY, double dRotDeg,
                  CA1SeriesList& list) {
    CA1TimeSeries work(&log);
    CLogImportFile file(log, path);
    if (!file.Open("Importing CEOS C1A1 log"))
        return kImportOpenFailed;

    ERecordingState state = ERecordingState::Searching;
    std::uint32_t dataLines = 0;
    int added = 0;
    std::string line;
    std::string dataText;
    TIMESTAMP stamp;

    const auto stopRecording = [&] {
        log.WriteDebug("Found C1A1 log stop.", kDebugRecord);
        // Whatever the reason given, the series records a stop by the user.
        work.m_LogLines.emplace_back(kStopMarker);
        state = ERecordingState::Stopped;
    };

    while (file.ReadLine(line)) {
        switch (state) {
        case ERecordingState::Searching:
            if (line.find(kStartMarker) != std::string::npos) {
                log.WriteDebug("Found C1A1 log start.", kDebugRecord);
                work.Reset();
                work.m_strFileName = path;
                work.m_nFirstLine = file.LineNumber();
                work.m_LogLines.emplace_back(kStartMarker);
                dataLines = 0;
                state = ERecordingState::Started;
            }
            break;
        case ERecordingState::Started:
            // The only state that looks at a line twice: one line may carry
            // the start time stamp and the user's stop.
            if (FindTimeStamp(line, stamp)) {
                log.WriteDebug("Found C1A1 log start timestamp.", kDebugRecord);
                work.m_LogLines.push_back(stamp.strText);
                work.m_nStartTime = stamp.nSeconds;
                dataLines = 0;
                state = ERecordingState::Recording;
            }
            if (line.find(kStopMarker) != std::string::npos)
                stopRecording();
            break;
        case ERecordingState::Recording:
            // The stop test comes first: a stop line is never a data line.
            if (line.find(kStopPrefix) != std::string::npos) {
                stopRecording();
            } else if (FindDataText(line, dataText)) {
                ++dataLines;
                if (file.Debugging(kDebugRecord))
                    log.WriteDebug(FormatC("Found C1A1 log data line #%u.", dataLines),
                                   kDebugRecord);
                work.m_LogLines.push_back(dataText);
            }
            break;
        case ERecordingState::Stopped:
            if (FindTimeStamp(line, stamp)) {
                log.WriteDebug("Found C1A1 log stop timestamp.", kDebugRecord);
                work.m_nLastLine = file.LineNumber();
                work.m_LogLines.push_back(stamp.strText);
                work.m_nStopTime = stamp.nSeconds;
                work.m_nDataLines = dataLines;
                work.m_nImportType = kImportTypeC1A1;
                // A recording without data lines has nothing to show.
                if (dataLines > 0) {
                    work.ExtractC1A1(nMirrorY, dRotDeg);
                    file.AppendSeries(work, list);
                    ++added;
                }
                state = ERecordingState::Searching;
            }
            break;
        }
    }

    // A recording still open at the end of the file has no stop time and so
    // no period: it is left out, but not in silence, or a log copied while
    // the corrector was still recording would look complete.
    if (state != ERecordingState::Searching)
        log.WriteLine(
            FormatC("Warning: The recording that starts on line %d of file [", work.m_nFirstLine) +
            path + "] is not finished (no stop time stamp); it is not added.");
    // A read error ends the file early: the recordings completed before it
    // are whole and stay, but the file must not be reported as loaded.
    file.ReportLoaded(file.Finish());
    file.ReportAdded(added);
    return added;
}
