#pragma once

#include "data/CA1TimeSeries.h"

#include <string>

// What one export says and needs. The texts are the program's messages, each
// completed by the path in the way the member's comment shows.
struct EXPORTKIND {
    const char* pszOpening;     // "Opening file [" + path + this
    const char* pszOpenFailure; // "ERROR: Failed to open file [" + path + this
    const char* pszSuccess;     // this + path + "]."
    const char* pszFailure;     // this + path + "]."
    const char* pszNotReady;    // null: the export needs no evaluation
    bool bNeedsModel;           // besides the characteristic function
    // A curve over time spans in seconds: without a time base its axis
    // would be 0/0 and every row "nan".
    bool bNeedsTimeBase;
};

// The one frame around every text and binary export: readiness, the opening
// report, the safe replace of the target and the final report. `Writer` is
// CTextFileWriter or CSafeFileWriter; `body(writer)` writes the content and
// returns false after a failed write. The target only changes when the whole
// content was written, so a failure never leaves a partial or emptied file.
template <class Writer, class Body>
bool RunExport(const CA1TimeSeries& series, const std::string& path, const EXPORTKIND& kind,
               Body&& body) {
    if (kind.pszNotReady) {
        const bool bReady = kind.bNeedsModel ? series.HasModel() : series.HasCharFunction();
        if (!bReady) {
            series.LogMessage(kind.pszNotReady);
            return false;
        }
        if (kind.bNeedsTimeBase && !series.HasTimeBase()) {
            series.LogMessage(kind.pszNotReady);
            series.LogMessage("- The recording has no time base (its stop time is not after its "
                              "start time): the curve has no time axis.");
            return false;
        }
    }
    series.LogDebug("Opening file [" + path + kind.pszOpening);
    Writer file;
    if (!file.Open(path)) {
        series.LogMessage("ERROR: Failed to open file [" + path + kind.pszOpenFailure);
        return false;
    }
    const bool bWritten = body(file);
    if (!bWritten || !file.Commit()) {
        file.Discard();
        series.LogMessage(kind.pszFailure + path + "].");
        return false;
    }
    series.LogDebug(kind.pszSuccess + path + "].");
    return true;
}
