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
    SkipByteOrderMark();
    return true;
}

void CTextFileReader::SkipByteOrderMark() {
    m_encoding = EEncoding::Bytes;
    if (!Refill())
        return;
    const auto startsWith = [this](std::string_view mark) {
        return m_nEnd >= mark.size() && std::memcmp(m_buffer.data(), mark.data(), mark.size()) == 0;
    };
    if (startsWith("\xEF\xBB\xBF")) {
        m_nBegin = 3;
    } else if (startsWith("\xFF\xFE")) {
        m_encoding = EEncoding::Utf16LE;
        m_nBegin = 2;
    } else if (startsWith("\xFE\xFF")) {
        m_encoding = EEncoding::Utf16BE;
        m_nBegin = 2;
    }
}

bool CTextFileReader::NextByte(unsigned char& byte) {
    if (m_nBegin == m_nEnd && !Refill())
        return false;
    byte = static_cast<unsigned char>(m_buffer[m_nBegin++]);
    return true;
}

bool CTextFileReader::ReadUtf16Line(std::string& line) {
    const bool bigEndian = m_encoding == EEncoding::Utf16BE;
    const auto nextUnit = [&](char16_t& unit) {
        unsigned char first = 0;
        unsigned char second = 0;
        if (!NextByte(first))
            return false;
        // An odd last byte is half a character: it is dropped.
        if (!NextByte(second))
            return false;
        unit = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
        return true;
    };
    bool bAny = false;
    char16_t unit = 0;
    char16_t pending = 0; // a leading surrogate waiting for its partner
    while (nextUnit(unit)) {
        bAny = true;
        if (unit == u'\n')
            break;
        if (line.size() >= kMaxLineBytes)
            continue;
        if (pending != 0) {
            const char16_t high = pending;
            pending = 0;
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                AppendUtf8(line, 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) +
                                     (unit - 0xDC00));
                continue;
            }
            AppendUtf8(line, kReplacementCharacter);
        }
        if (unit >= 0xD800 && unit <= 0xDBFF)
            pending = unit;
        else if (unit >= 0xDC00 && unit <= 0xDFFF)
            AppendUtf8(line, kReplacementCharacter);
        else
            AppendUtf8(line, unit);
    }
    if (pending != 0)
        AppendUtf8(line, kReplacementCharacter);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return bAny;
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
    if (m_encoding != EEncoding::Bytes)
        return ReadUtf16Line(line);
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
    if (m_encoding == EEncoding::Bytes)
        line = DecodeLine8Bit(line);
    return true;
}
