#pragma once

#include "infra/CLogFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// A program log that writes no file and keeps each record's text (without
// its time stamp) in order, for asserting on the messages of an operation.
class LogCapture {
public:
    explicit LogCapture(std::uint32_t debugLevel = 0) {
        log.m_nDebugLevel = debugLevel;
        log.SetSink([this](const std::string& record) {
            // "YYYY/MM/DD HH:MM:SS: " precedes every record.
            texts.push_back(record.size() >= 21 ? record.substr(21) : record);
        });
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    CLogFile* Log() { return &log; }
    const std::vector<std::string>& Lines() const { return texts; }
    void Clear() { texts.clear(); }

    bool Has(const std::string& text) const {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    bool HasPrefix(const std::string& prefix) const {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
    }

    CLogFile log;
    std::vector<std::string> texts;
};

// A debug record's text as the log writes it: two blanks per level.
inline std::string Debug(int level, const std::string& text) {
    return "DEBUG>" + std::string(2 * static_cast<std::size_t>(level), ' ') + text;
}
