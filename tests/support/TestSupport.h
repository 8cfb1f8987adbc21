#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A fresh folder below the system's temporary folder, removed with all its
// content when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Path of a file in tests/fixtures.
std::string FixturePath(const std::string& name);

// Number of entries in `folder`: a temporary file left behind shows here.
std::size_t FilesIn(const std::string& folder);

// Whole file as bytes ("" when missing).
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The lines of a CR LF text without their line ends; the text after the
// last CR LF (empty for a complete file) is the last element.
std::vector<std::string> SplitCrLf(const std::string& text);

// A C1A1 log of one recording with `lines` data lines between the time
// stamps `startSeconds` and `stopSeconds`; the amplitudes wander smoothly,
// and the data line numbered `hugeLine` (from 1; 0 for none) logs
// `hugeValue` nm.
std::string GeneratedC1A1Log(int startSeconds, int stopSeconds, int lines, int hugeLine = 0,
                             const char* hugeValue = "1e200");

// True when the text holds "nan" or "inf" in any case as a number of its
// own (after a blank, a sign or a semicolon): "dinfo" is no number.
bool HoldsNonFiniteNumber(const std::string& text);

// How often `part` occurs in `text`, overlaps included.
std::size_t CountOccurrences(const std::string& text, const std::string& part);

// `ascii` as UTF-16 with a byte-order mark, little- or big-endian.
std::string Utf16WithMark(const std::string& ascii, bool bigEndian);
