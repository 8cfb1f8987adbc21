#include "infra/CTextFile.h"

#include "infra/TextEncoding.h"

#include <cstdlib>
#include <sys/stat.h>
#include <sys/types.h>

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
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    m_bFailed = false;
    m_pFile = std::fopen(path.c_str(), "rb");
    return m_pFile != nullptr;
}

void CTextFileReader::Close() {
    if (m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
    std::free(m_pBuffer);
    m_pBuffer = nullptr;
    m_nCapacity = 0;
}

bool CTextFileReader::ReadRawLine(std::string& line) {
    line.clear();
    if (!m_pFile)
        return false;
    // getline returns the true length, so NUL bytes inside a line survive.
    const ssize_t length = ::getline(&m_pBuffer, &m_nCapacity, m_pFile);
    if (length < 0) {
        m_bFailed = std::ferror(m_pFile) != 0;
        return false;
    }
    line.assign(m_pBuffer, static_cast<std::size_t>(length));
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
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
