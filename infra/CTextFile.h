#pragma once

#include "infra/CSafeFileWriter.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Writes an 8-bit text file: each line encoded as EncodeLine8Bit says and
// ended by CR LF, all through the safe replace of CSafeFileWriter.
class CTextFileWriter {
public:
    bool Open(const std::string& path) { return m_file.Open(path); }
    bool IsOpen() const { return m_file.IsOpen(); }

    // Writes `text` and a CR LF. A "\n" inside `text` also becomes CR LF, so
    // that callers can pass the C formats' line ends unchanged.
    bool WriteLine(std::string_view text);
    // Writes `text` as it is (encoded, "\n" turned into CR LF, no line end added).
    bool WriteText(std::string_view text);

    bool Commit() { return m_file.Commit(); }
    void Discard() { m_file.Discard(); }
    const std::string& Path() const { return m_file.Path(); }

private:
    CSafeFileWriter m_file;
};

// Reads an 8-bit text file line by line without holding more than the
// current line: LF, CR LF and a missing last line end are all accepted, and
// each line is decoded as DecodeLine8Bit says.
class CTextFileReader {
public:
    // No line of a log, a table or "Setup.prm" comes near this; a file
    // without line ends (a binary file, an image) is read in bounded memory
    // instead of whole. The bytes of a longer line beyond it are skipped.
    static constexpr std::size_t kMaxLineBytes = 1024 * 1024;

    CTextFileReader() = default;
    ~CTextFileReader() { Close(); }
    CTextFileReader(const CTextFileReader&) = delete;
    CTextFileReader& operator=(const CTextFileReader&) = delete;

    // False when the path does not exist, cannot be read or is no regular
    // file: a folder, a device or a pipe (which would block until another
    // program writes to it) holds no text to read. A byte-order mark at the
    // start is honoured: UTF-8 and UTF-16 (little- or big-endian) files are
    // read as their text; the mark itself is no part of the first line.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_pFile != nullptr; }
    void Close();

    // The next line without its line end; false at the end of the file or
    // after a read error.
    bool ReadLine(std::string& line);

    // True once a read failed: the lines read so far are not the whole file,
    // which the end of the lines alone does not tell.
    bool Failed() const { return m_bFailed; }

    // The line as it stands in the file, without decoding (for callers that
    // compare raw bytes); a UTF-16 file's line comes as UTF-8.
    bool ReadRawLine(std::string& line);

private:
    enum class EEncoding { Bytes, Utf16LE, Utf16BE };

    bool Refill();
    bool NextByte(unsigned char& byte);
    bool ReadUtf16Line(std::string& line);
    void SkipByteOrderMark();

    EEncoding m_encoding = EEncoding::Bytes;
    std::FILE* m_pFile = nullptr;
    std::vector<char> m_buffer; // bytes read ahead of the current line
    std::size_t m_nBegin = 0;
    std::size_t m_nEnd = 0;
    bool m_bFailed = false;
};
