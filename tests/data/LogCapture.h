#pragma once

#include "infra/CLogFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// A program log that writes no file and keeps each record's text (without
// its timestamp) for the test to inspect.
class LogCapture {
public:
    explicit LogCapture(std::uint32_t debugLevel = 0) {
        log.m_nDebugLevel = debugLevel;
        log.SetSink([this](const std::string& record) {
            const std::size_t colon = record.find(": ");
            texts.push_back(colon == std::string::npos ? record : record.substr(colon + 2));
        });
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

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

// Debug record texts as CLogFile writes them: two blanks per level.
inline std::string Debug(int level, const std::string& text) {
    return "DEBUG>" + std::string(2 * static_cast<std::size_t>(level), ' ') + text;
}
