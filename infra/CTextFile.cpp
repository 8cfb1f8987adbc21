#include "infra/CTextFile.h"

#include "infra/TextEncoding.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out.push_back('\r');
        out.push_back(text[i]);
    }
    return out;
}

} // namespace

bool CTextFileWriter::WriteText(std::string_view text) {
    return m_file.Write(WithCrLf(EncodeLine8Bit(text)));
}

bool CTextFileWriter::WriteLine(std::string_view text) {
    std::string line = WithCrLf(EncodeLine8Bit(text));
    line += "\r\n";
    return m_file.Write(line);
}

bool CTextFileReader::Open(const std::string& path) {
    Close();
    m_bFailed = false;
    if (path.empty())
        return false;
    // Opened without blocking: opening a named pipe for reading would wait
    // for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_pFile = ::fdopen(fd, "rb");
    if (!m_pFile) {
        ::close(fd);
        return false;
    }
    return true;
}

void CTextFileReader::Close() {
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_nBegin = m_nEnd = 0;
}

bool CTextFileReader::Refill() {
    constexpr std::size_t kChunkBytes = 64 * 1024;
    m_buffer.resize(kChunkBytes);
    m_nBegin = 0;
    m_nEnd = std::fread(m_buffer.data(), 1, m_buffer.size(), m_pFile);
    if (m_nEnd == 0 && std::ferror(m_pFile))
        m_bFailed = true;
    return m_nEnd > 0;
}

bool CTextFileReader::ReadRawLine(std::string& line) {
    line.clear();
    if (!m_pFile)
        return false;
    bool bAny = false;
    for (;;) {
        if (m_nBegin == m_nEnd && !Refill())
            break;
        bAny = true;
        const char* begin = m_buffer.data() + m_nBegin;
        const std::size_t available = m_nEnd - m_nBegin;
        const void* newline = std::memchr(begin, '\n', available);
        const std::size_t length =
            newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - begin)
                    : available;
        // NUL bytes inside a line survive: the line is taken by its length.
        line.append(begin, std::min(length, kMaxLineBytes - std::min(line.size(), kMaxLineBytes)));
        m_nBegin += newline ? length + 1 : length;
        if (newline)
            break;
    }
    if (!bAny)
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool CTextFileReader::ReadLine(std::string& line) {
    if (!ReadRawLine(line))
        return false;
    line = DecodeLine8Bit(line);
    return true;
}
