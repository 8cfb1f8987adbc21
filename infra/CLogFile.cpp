#include "infra/CLogFile.h"

#include "infra/CNumber.h"
#include "infra/CSafeFileWriter.h"
#include "infra/TextEncoding.h"

#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CLogFile::~CLogFile() {
    if (m_bOpen)
        CLogFile::Close();
}

bool CLogFile::OpenLog(const std::string& path) {
    const std::string target = path.empty() ? m_strPath : path;
    if (target.empty())
        return false;
    // Opened without blocking: a named pipe without a reader would otherwise
    // hold the program at its first record. Once open, writes block as usual.
    const int fd =
        ::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "ab");
    if (!file) {
        ::close(fd);
        return false;
    }
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = file;
    m_bOpen = 1;
    char resolved[PATH_MAX];
    m_strPath = ::realpath(target.c_str(), resolved) ? std::string(resolved) : target;
    return true;
}

void CLogFile::Close() {
    if (!m_bOpen)
        return;
    if (m_pFile) {
        std::fflush(m_pFile);
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    m_bOpen = 0;
}

std::uint64_t CLogFile::GetLogSize() {
    const bool wasOpen = m_bOpen != 0;
    if (!wasOpen && !OpenLog(m_strPath))
        return 0;
    std::fflush(m_pFile);
    struct stat info {};
    const std::uint64_t size =
        ::fstat(::fileno(m_pFile), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    if (!wasOpen)
        Close();
    return size;
}

std::string CLogFile::TakePaneText(std::size_t& nFed) const {
    const std::lock_guard<std::mutex> lock(m_Mutex);
    if (nFed >= m_strPaneBuffer.size())
        return {};
    std::string text = m_strPaneBuffer.substr(nFed);
    nFed = m_strPaneBuffer.size();
    return text;
}

bool CLogFile::WriteLine(const std::string& text) {
    const std::lock_guard<std::mutex> lock(m_Mutex);
    const bool fileless = m_strPath.empty() && !m_bOpen;
    const bool wasOpen = m_bOpen != 0;
    if (!fileless) {
        if (!wasOpen)
            OpenLog(m_strPath);
        if (!m_bOpen) {
            m_bFileFailed = true;
            return false; // lost for the file and the pane alike
        }
    }

    char stamp[128];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    std::size_t stampLength = 0;
    if (::localtime_r(&now, &local))
        stampLength = std::strftime(stamp, sizeof stamp, "%Y/%m/%d %H:%M:%S", &local);
    std::string line(stamp, stampLength);
    line += ": ";
    line += text;

    bool written = false;
    if (!fileless) {
        std::fseek(m_pFile, 0, SEEK_END);
        const std::string bytes = "\r\n" + EncodeLine8Bit(line);
        m_nFileBytes += bytes.size();
        written = !CSafeFileWriter::ExceedsWriteLimitForTesting(m_nFileBytes) &&
                  std::fwrite(bytes.data(), 1, bytes.size(), m_pFile) == bytes.size();
        // The stream buffers; a full disk shows only when the bytes leave it.
        written = std::fflush(m_pFile) == 0 && written;
        if (!written)
            m_bFileFailed = true;
        if (!wasOpen)
            Close();
    }
    if (m_bFeedPane) {
        m_strPaneBuffer += "\r\n";
        m_strPaneBuffer += line;
    }
    if (m_sink)
        m_sink(line);
    return fileless ? (m_bFeedPane != 0 || static_cast<bool>(m_sink)) : written;
}

bool CLogFile::ApplySizeRule() {
    // A file of exactly the limit stays; only a larger one is cut.
    if (GetLogSize() <= kMaxLogBytes)
        return false;
    if (m_bOpen)
        Close();
    if (std::remove(m_strPath.c_str()) == 0 && OpenLog(m_strPath))
        Close();
    WriteLine("");
    WriteLine("The previous content of the log file was erased in order to prevent too large log "
              "files (max. 2MB).");
    WriteLine("");
    return true;
}

bool CLogFile::WriteDebug(const std::string& text, std::uint32_t level) {
    if (level == 0 || level > m_nDebugLevel)
        return false;
    std::string record = "DEBUG>";
    record.append(2 * static_cast<std::size_t>(level), ' ');
    record += text;
    return WriteLine(record);
}

std::uint32_t DebugLevelFromCommandLine(const std::string& arguments) {
    std::uint32_t level = arguments.find("--debug") != std::string::npos ? 2 : 0;
    const std::string option = "--dbgl ";
    const std::size_t at = arguments.find(option);
    if (at != std::string::npos) {
        // At most two characters; a negative value wraps to a huge unsigned
        // level on purpose, which lets every debug record through.
        const std::string value = arguments.substr(at + option.size(), 2);
        level = static_cast<std::uint32_t>(ParseCInt(value));
    }
    return level;
}
