#pragma once

#include "infra/CLogFile.h"

#include <string>
#include <vector>

// A file-less program log whose records' texts (without the timestamp) are
// collected in order, for asserting on the messages of an operation.
struct LogCapture {
    LogCapture(std::uint32_t debugLevel = 0) {
        log.m_nDebugLevel = debugLevel;
        log.SetSink([this](const std::string& line) {
            // "YYYY/MM/DD HH:MM:SS: " is 21 characters.
            texts.push_back(line.size() >= 21 ? line.substr(21) : line);
        });
    }
    CLogFile log;
    std::vector<std::string> texts;
};

// The lines of a CR LF text, without the line ends.
inline std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = bytes.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(bytes.substr(start, at - start));
    lines.push_back(bytes.substr(start));
    return lines;
}
