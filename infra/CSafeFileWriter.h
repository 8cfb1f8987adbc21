#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// Every file the program replaces (Setup.prm, every export) is written through
// this class: the bytes go to a temporary file beside the target, which is
// renamed over the target only once everything was written. A failed save
// therefore never leaves a partial or an emptied file behind.
class CSafeFileWriter {
public:
    CSafeFileWriter() = default;
    ~CSafeFileWriter(); // discards an uncommitted temporary file
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    // Creates the temporary file beside `path`. False when the folder does
    // not exist, is not a folder or cannot be written, or when `path` exists
    // and is no regular file or is read-only. A symbolic link stays: the file
    // it points to is the one replaced.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_pFile != nullptr; }

    // False after the first failed write; every later write fails too.
    bool Write(std::string_view bytes);
    bool Write(const void* data, std::size_t size);

    // Flushes, closes and renames over the target. False (and the target
    // untouched) when any write failed or the rename fails.
    bool Commit();

    // Removes the temporary file; the target stays as it was.
    void Discard();

    const std::string& Path() const { return m_strPath; }

    // Removes every temporary file of every writer, for a program that is
    // interrupted and ends without finishing its writes. With bKeepLocked
    // no writer can create or rename a file afterwards: the caller ends the
    // program next.
    static void RemovePendingTemporaryFiles(bool bKeepLocked);

    // Test seam: the next writers fail once this many bytes were written in
    // total by one writer, as a full disk would. std::nullopt switches it off.
    static void SetWriteLimitForTesting(std::optional<std::size_t> bytes);
    // True when a writer that has written `total` bytes would pass that
    // limit; the program log asks it too, so that one seam stands for a full
    // disk everywhere.
    static bool ExceedsWriteLimitForTesting(std::size_t total);

private:
    std::FILE* m_pFile = nullptr;
    std::string m_strPath;
    std::string m_strTarget; // m_strPath with a symbolic link resolved
    std::string m_strTempPath;
    std::size_t m_nWritten = 0;
    bool m_bFailed = false;
};
