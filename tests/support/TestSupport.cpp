#include "support/TestSupport.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

TempDir::TempDir() {
    const std::string pattern =
        (std::filesystem::temp_directory_path() / "tessaric-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()))
        m_path = buffer.data();
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

std::string FixturePath(const std::string& name) {
    return std::string(TESSARIC_FIXTURE_DIR) + "/" + name;
}

std::size_t FilesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

bool HoldsNonFiniteNumber(const std::string& text) {
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* word : {"nan", "inf"})
        for (std::size_t at = lower.find(word); at != std::string::npos;
             at = lower.find(word, at + 1))
            if (at == 0 ||
                std::string_view(" \t;+-:(").find(lower[at - 1]) != std::string_view::npos)
                return true;
    return false;
}

std::size_t CountOccurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string GeneratedC1A1Log(int startSeconds, int stopSeconds, int lines, int hugeLine,
                             const char* hugeValue) {
    std::string log = "C1A1 series successfully started.\r\n";
    log += "dTime: " + std::to_string(startSeconds) + " s\r\n";
    for (int i = 1; i <= lines; ++i) {
        char amplitude[32];
        std::snprintf(amplitude, sizeof amplitude, "%.3f", 2.0 + std::sin(0.3 * i) + 0.02 * i);
        log += "#" + std::to_string(i) + ": C1: 1.0nm / 0.0deg, A1: " +
               (i == hugeLine ? std::string(hugeValue) : std::string(amplitude)) + "nm / " +
               std::to_string(7 * i % 360) + ".0deg, 600 cnts\r\n";
    }
    log += "C1A1 series stopped by user.\r\n";
    log += "dTime: " + std::to_string(stopSeconds) + " s\r\n";
    return log;
}

std::string Utf16WithMark(const std::string& ascii, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        bytes.push_back(bigEndian ? '\0' : c);
        bytes.push_back(bigEndian ? c : '\0');
    }
    return bytes;
}
