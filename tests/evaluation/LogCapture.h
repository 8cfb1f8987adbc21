#pragma once

#include "infra/CLogFile.h"

#include <string>
#include <vector>

// A program log that writes no file and keeps the text of every record
// (without its time stamp) for the test to inspect.
class LogCapture {
public:
    LogCapture() {
        m_log.SetSink([this](const std::string& line) {
            // "YYYY/MM/DD hh:mm:ss: text"
            const std::size_t at = line.find(": ", 19);
            m_lines.push_back(at == std::string::npos ? line : line.substr(at + 2));
        });
    }

    CLogFile* Log() { return &m_log; }
    const std::vector<std::string>& Lines() const { return m_lines; }
    void Clear() { m_lines.clear(); }

private:
    CLogFile m_log;
    std::vector<std::string> m_lines;
};
