#include "infra/CSafeFileWriter.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
std::optional<std::size_t> g_writeLimitForTesting;

// The temporary files that exist right now, so that an interrupted program
// can remove them before it ends. The lock is held from a file's creation
// to its registration and from its rename to its removal from the list:
// the cleanup never misses a file nor removes one that became a target.
std::mutex g_pendingMutex;
std::set<std::string>& PendingFiles() {
    static std::set<std::string> files;
    return files;
}
} // namespace

void CSafeFileWriter::RemovePendingTemporaryFiles(bool bKeepLocked) {
    g_pendingMutex.lock();
    for (const std::string& path : PendingFiles())
        ::unlink(path.c_str());
    PendingFiles().clear();
    if (!bKeepLocked)
        g_pendingMutex.unlock();
}

void CSafeFileWriter::SetWriteLimitForTesting(std::optional<std::size_t> bytes) {
    g_writeLimitForTesting = bytes;
}

bool CSafeFileWriter::ExceedsWriteLimitForTesting(std::size_t total) {
    return g_writeLimitForTesting && total > *g_writeLimitForTesting;
}

CSafeFileWriter::~CSafeFileWriter() {
    Discard();
}

bool CSafeFileWriter::Open(const std::string& path) {
    Discard();
    m_bFailed = false;
    m_nWritten = 0;
    if (path.empty())
        return false;
    std::string destination = path;
    struct stat target {};
    const bool bExists = ::stat(path.c_str(), &target) == 0;
    if (bExists) {
        // Only a regular file is replaced: a folder cannot be, and a device
        // or a pipe (say /dev/stdout) must not be swapped for a plain file.
        if (!S_ISREG(target.st_mode))
            return false;
        // A file its owner made read-only stays as it is.
        if (::access(path.c_str(), W_OK) != 0)
            return false;
        // A symbolic link keeps pointing at the file: the file behind it is
        // replaced, not the link.
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            destination = resolved;
    }

    const std::size_t slash = destination.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
    const std::string name =
        slash == std::string::npos ? destination : destination.substr(slash + 1);
    // A short name of its own: the target's name with a suffix could pass
    // the 255 bytes a file name may have when the target's is already long.
    std::string pattern = folder + ".tessaric-XXXXXX.tmp";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    std::unique_lock<std::mutex> pending(g_pendingMutex);
    const int fd = ::mkstemps(buffer.data(), 4);
    if (fd < 0)
        return false;
    PendingFiles().insert(buffer.data());
    pending.unlock();
    // mkstemp makes the file private; the result should get the permissions
    // of the file it replaces, or those of a newly created file.
    mode_t mode = 0;
    if (bExists) {
        mode = target.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    m_pFile = ::fdopen(fd, "wb");
    if (!m_pFile) {
        ::close(fd);
        m_strTempPath = buffer.data();
        Discard();
        return false;
    }
    m_strPath = path;
    m_strTarget = destination;
    m_strTempPath = buffer.data();
    return true;
}

bool CSafeFileWriter::Write(std::string_view bytes) {
    return Write(bytes.data(), bytes.size());
}

bool CSafeFileWriter::Write(const void* data, std::size_t size) {
    if (!m_pFile || m_bFailed)
        return false;
    if (ExceedsWriteLimitForTesting(m_nWritten + size)) {
        m_bFailed = true;
        return false;
    }
    if (size > 0 && std::fwrite(data, 1, size, m_pFile) != size) {
        m_bFailed = true;
        return false;
    }
    m_nWritten += size;
    return true;
}

bool CSafeFileWriter::Commit() {
    if (!m_pFile)
        return false;
    bool ok = !m_bFailed && std::fflush(m_pFile) == 0 && ::fsync(::fileno(m_pFile)) == 0;
    ok = (std::fclose(m_pFile) == 0) && ok;
    m_pFile = nullptr;
    const std::lock_guard<std::mutex> pending(g_pendingMutex);
    if (ok)
        ok = std::rename(m_strTempPath.c_str(), m_strTarget.c_str()) == 0;
    if (!ok)
        ::unlink(m_strTempPath.c_str());
    PendingFiles().erase(m_strTempPath);
    m_strTempPath.clear();
    return ok;
}

void CSafeFileWriter::Discard() {
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    if (!m_strTempPath.empty()) {
        const std::lock_guard<std::mutex> pending(g_pendingMutex);
        ::unlink(m_strTempPath.c_str());
        PendingFiles().erase(m_strTempPath);
        m_strTempPath.clear();
    }
}
