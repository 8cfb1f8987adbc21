#include "infra/CParamBlock.h"

#include "infra/CNumber.h"
#include "infra/CTextFile.h"

namespace {

constexpr std::string_view kNameOpen = "'[";
constexpr std::string_view kNameClose = "]'";
constexpr std::string_view kVersionKey = "Version ";

// The section name sits between the first "'[" and the first "]'". Without an
// opening mark the name is taken from the second character on, which accepts
// a line whose bracket was lost but whose closing mark is intact.
bool ExtractSectionName(const std::string& line, std::string& name) {
    const std::size_t open = line.find(kNameOpen);
    const std::size_t start = open == std::string::npos ? 1 : open + kNameOpen.size();
    const std::size_t close = line.find(kNameClose);
    if (close == std::string::npos || close < start + 1)
        return false;
    name = line.substr(start, close - start);
    return true;
}

// A numeric line must hold at least one character; what follows the number
// is ignored, and a line without a number reads as 0.
bool ReadNonEmptyLine(CTextFileReader* file, std::string& line) {
    return file && file->ReadLine(line) && !line.empty();
}

} // namespace

bool CParamBlock::WriteHeader(CTextFileWriter* file) const {
    if (!file)
        return false;
    return file->WriteText(std::string(kNameOpen) + m_strName + std::string(kNameClose) + "\n") &&
           file->WriteText(FormatC("Version %d\n", m_nVersion));
}

bool CParamBlock::ReadHeader(CTextFileReader* file, std::string& name,
                             std::int32_t& version) const {
    name.clear();
    version = 0;
    if (!file)
        return false;
    std::string line;
    if (!file->ReadLine(line))
        return false;
    // The version line is consumed even after a bad section line, so that the
    // reader stands where it would after a good header.
    const bool nameValid = ExtractSectionName(line, name);
    if (!file->ReadLine(line))
        return false;
    const std::size_t key = line.find(kVersionKey);
    if (key == std::string::npos || key + kVersionKey.size() >= line.size())
        return false;
    version = ParseCInt(std::string_view(line).substr(key + kVersionKey.size()));
    return nameValid;
}

bool CParamBlock::WriteIntLine(CTextFileWriter* file, std::int32_t value) const {
    return file && file->WriteText(FormatC("%d\n", value));
}

bool CParamBlock::WriteDoubleLine(CTextFileWriter* file, double value) const {
    return file && file->WriteText(FormatC("%g\n", value));
}

bool CParamBlock::WriteTextLine(CTextFileWriter* file, const std::string& value) const {
    // The values stand by position, one per line: a line break inside a text
    // (a folder name may hold one) would shift every later value. The text
    // keeps what comes before its first line break.
    const std::string oneLine = value.substr(0, value.find_first_of("\r\n"));
    return file && file->WriteText(oneLine + "\n");
}

bool CParamBlock::ReadIntLine(CTextFileReader* file, std::int32_t& value) const {
    std::string line;
    if (!ReadNonEmptyLine(file, line))
        return false;
    value = ParseCInt(line);
    return true;
}

bool CParamBlock::ReadDoubleLine(CTextFileReader* file, double& value) const {
    std::string line;
    if (!ReadNonEmptyLine(file, line))
        return false;
    value = ParseCDouble(line);
    return true;
}

bool CParamBlock::ReadTextLine(CTextFileReader* file, std::string& value) const {
    std::string line;
    if (!file || !file->ReadLine(line))
        return false;
    value = line;
    return true;
}
