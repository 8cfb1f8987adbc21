#pragma once

#include "infra/CLogFile.h"

#include <cstdint>
#include <string>

class CTextFileReader;
class CTextFileWriter;

// A named, versioned block of values with a log connection and line-based
// text input and output. The parameter set is written in this format; a
// series uses only the log connection.
class CParamBlock {
public:
    CLogFile* m_pLog = nullptr; // not owned; null keeps the block silent
    std::int32_t m_nVersion = 0;
    std::string m_strName;

    void LogMessage(const std::string& text) const {
        if (m_pLog)
            m_pLog->WriteLine(text);
    }
    void LogDebug(const std::string& text) const {
        if (m_pLog)
            m_pLog->WriteDebug(text, 1);
    }

    bool WriteHeader(CTextFileWriter* file) const;
    bool ReadHeader(CTextFileReader* file, std::string& name, std::int32_t& version) const;

    bool WriteIntLine(CTextFileWriter* file, std::int32_t value) const;
    bool WriteDoubleLine(CTextFileWriter* file, double value) const;
    bool WriteTextLine(CTextFileWriter* file, const std::string& value) const;

    bool ReadIntLine(CTextFileReader* file, std::int32_t& value) const;
    bool ReadDoubleLine(CTextFileReader* file, double& value) const;
    bool ReadTextLine(CTextFileReader* file, std::string& value) const;
};
