#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

// The program log: "Log.txt" in the program data folder plus an in-memory
// copy for the window's message pane. Every record opens, appends and closes
// the file, so the file is complete on disk after each record. Records may
// come from any thread (the window's long commands run on a worker): each is
// written whole, one after the other.
class CLogFile {
public:
    CLogFile() = default;
    virtual ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    void SetPath(const std::string& path) { m_strPath = path; }

    // Opens `path` (or m_strPath when empty) for appending, creating it when
    // missing. On success m_strPath becomes the file's full path.
    bool OpenLog(const std::string& path = {});
    virtual void Close();

    // Length of the file in bytes; opens (and so creates) it when the log
    // does not hold it open. 0 when it cannot be opened.
    std::uint64_t GetLogSize();

    // True when the record reached the file. A record whose file cannot be
    // opened is lost for every output. A record whose write fails once the
    // file is open (a full disk) still reaches the pane and the sink, so the
    // user sees what the file could not keep; the result is then false.
    // A log that was never given a path keeps no file at all: its records go
    // to the pane and the sink only, and the result says whether either took it.
    bool WriteLine(const std::string& text);
    bool WriteDebug(const std::string& text, std::uint32_t level);

    // Start-up size rule: a file above kMaxLogBytes is deleted, re-created
    // empty and the erase is noted in three records (also when the deletion
    // failed and the records follow the old content). Returns whether the
    // file was over the limit.
    static constexpr std::uint64_t kMaxLogBytes = 0x200000;
    bool ApplySizeRule();

    // Where a program without a message pane (the command-line program) sees
    // the records: called with each record's line (timestamp, ": ", text)
    // after it was written.
    void SetSink(std::function<void(const std::string&)> sink) { m_sink = std::move(sink); }

    // True once a record of a log with a file could not reach that file (it
    // could not be opened, or a write failed part way, as on a full disk):
    // the file then misses records, which no single result tells for good.
    bool FileFailed() const { return m_bFileFailed; }

    int m_bOpen = 0;
    std::string m_strPath;
    std::uint32_t m_nDebugLevel = 0;
    int m_bFeedPane = 0;
    std::string m_strPaneBuffer; // UTF-8; grows for the whole run

    // The pane's records from byte `nFed` on; `nFed` then covers them. The
    // way to read the buffer while another thread may be writing records.
    std::string TakePaneText(std::size_t& nFed) const;

private:
    std::FILE* m_pFile = nullptr;
    std::size_t m_nFileBytes = 0; // written by this object, for the write-limit seam
    bool m_bFileFailed = false;
    std::function<void(const std::string&)> m_sink;
    mutable std::mutex m_Mutex;
};

// The debug level from the command line's argument text (without the
// program's own path): "--debug" gives 2, "--dbgl " followed by at most two
// characters overrides it.
std::uint32_t DebugLevelFromCommandLine(const std::string& arguments);
