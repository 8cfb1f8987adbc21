#include "infra/CMainParameters.h"

#include "infra/CTextFile.h"
#include "infra/IProfileStore.h"

#include <array>
#include <bit>
#include <variant>
#include <vector>

namespace {

using Field = std::variant<std::int32_t CMainParameters::*, double CMainParameters::*,
                           std::string CMainParameters::*>;

struct ParameterEntry {
    const char* name; // also the entry name in the profile
    Field field;
};

// The order of the lines in "Setup.prm" (where the values carry no names) and
// of the entries in the profile.
constexpr std::array<ParameterEntry, 10> kParameters{{
    {"ImportPath", &CMainParameters::ImportPath},
    {"OutputPath", &CMainParameters::OutputPath},
    {"ImportType", &CMainParameters::ImportType},
    {"ImportMirrorY", &CMainParameters::ImportMirrorY},
    {"ImportRotDeg", &CMainParameters::ImportRotDeg},
    {"DataDisplayType", &CMainParameters::DataDisplayType},
    {"MinDiversity", &CMainParameters::MinDiversity},
    {"ElEnergykV", &CMainParameters::ElEnergykV},
    {"TargetResAng", &CMainParameters::TargetResAng},
    {"LimitPhase", &CMainParameters::LimitPhase},
}};

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
// clang 14 does not yet deduce an aggregate's template arguments by itself.
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

constexpr std::size_t kDoubleBytes = 8;

// The profile keeps a double as its IEEE 754 bytes, little-endian on every
// host, so a profile copied between machines reads the same.
std::vector<std::uint8_t> DoubleToBytes(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    std::vector<std::uint8_t> bytes(kDoubleBytes);
    for (std::size_t i = 0; i < kDoubleBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return bytes;
}

double DoubleFromBytes(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < kDoubleBytes; ++i)
        bits |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    return std::bit_cast<double>(bits);
}

const std::string kUnexpectedContent = "ERROR: Unexpected content while reading main parameters.";
const std::string kWriteFailed = "ERROR: Failed to write main parameters to file.";

} // namespace

void CMainParameters::SetDefaults() {
    // The member initialisers are the one list of defaults.
    static const CMainParameters defaults;
    for (const ParameterEntry& entry : kParameters)
        std::visit([&](auto member) { this->*member = defaults.*member; }, entry.field);
}

bool CMainParameters::Write(CTextFileWriter* file) {
    if (!file || !file->IsOpen()) {
        LogMessage("ERROR: Internal interface error while writing main parameters to file.");
        return false;
    }
    bool ok = WriteHeader(file);
    for (const ParameterEntry& entry : kParameters) {
        if (!ok)
            break;
        ok = std::visit(
            Overloaded{
                [&](std::int32_t CMainParameters::*m) { return WriteIntLine(file, this->*m); },
                [&](double CMainParameters::*m) { return WriteDoubleLine(file, this->*m); },
                [&](std::string CMainParameters::*m) { return WriteTextLine(file, this->*m); }},
            entry.field);
    }
    if (!ok)
        LogMessage(kWriteFailed);
    return ok;
}

bool CMainParameters::Read(CTextFileReader* file) {
    if (!file || !file->IsOpen()) {
        LogMessage("ERROR: Internal interface error while reading main parameter from file.");
        return false;
    }
    std::string name;
    std::int32_t version = 0;
    // A foreign or damaged header leaves the parameters as they were: the file
    // is not ours to take values from.
    if (!ReadHeader(file, name, version) || name != m_strName) {
        LogMessage(kUnexpectedContent);
        return false;
    }
    // From here on the file is ours; whatever it cannot supply is a default.
    SetDefaults();
    if (version != m_nVersion) {
        LogMessage("ERROR: Unsupported version of parameter file.");
        return false;
    }
    for (const ParameterEntry& entry : kParameters) {
        const bool ok = std::visit(
            Overloaded{
                [&](std::int32_t CMainParameters::*m) { return ReadIntLine(file, this->*m); },
                [&](double CMainParameters::*m) { return ReadDoubleLine(file, this->*m); },
                [&](std::string CMainParameters::*m) { return ReadTextLine(file, this->*m); }},
            entry.field);
        if (!ok) {
            LogMessage("ERROR: Failed to read main parameters from file.");
            return false;
        }
    }
    return true;
}

bool CMainParameters::LoadFile(const std::string& path) {
    if (path.empty())
        return false;
    LogDebug("Opening file [" + path + "] for loading program parameters.");
    CTextFileReader file;
    if (!file.Open(path)) {
        LogMessage("ERROR: Failed to open file [" + path + "].");
        return false;
    }
    const bool ok = Read(&file);
    file.Close();
    if (!ok) {
        LogMessage("ERROR: Failed to load program parameters from file [" + path + "].");
        return false;
    }
    LogDebug("Successfully loaded program parameters from file [" + path + "].");
    return true;
}

bool CMainParameters::SaveFile(const std::string& path) {
    if (path.empty())
        return false;
    LogDebug("Opening file [" + path + "] for saving program parameters.");
    CTextFileWriter file;
    if (!file.Open(path)) {
        LogMessage("ERROR: Failed to open file [" + path + "].");
        return false;
    }
    bool ok = Write(&file);
    // The last bytes reach the disk only when the file is committed; a full
    // disk at that point is a failed write like any other.
    if (ok && !file.Commit()) {
        LogMessage(kWriteFailed);
        ok = false;
    }
    if (!ok) {
        file.Discard();
        LogMessage("ERROR: Failed to save program parameters to file [" + path + "].");
        return false;
    }
    LogDebug("Successfully saved program parameters to file [" + path + "].");
    return true;
}

bool CMainParameters::WriteProfile() {
    if (!m_pProfile)
        return false;
    IProfileStore& profile = *m_pProfile;
    for (const ParameterEntry& entry : kParameters) {
        const bool ok =
            std::visit(Overloaded{[&](std::int32_t CMainParameters::*m) {
                                      return profile.WriteInt(m_strName, entry.name, this->*m);
                                  },
                                  [&](double CMainParameters::*m) {
                                      return profile.WriteBinary(m_strName, entry.name,
                                                                 DoubleToBytes(this->*m));
                                  },
                                  [&](std::string CMainParameters::*m) {
                                      return profile.WriteString(m_strName, entry.name, this->*m);
                                  }},
                       entry.field);
        if (!ok)
            return false;
    }
    return true;
}

void CMainParameters::ReadProfile() {
    if (!m_pProfile)
        return;
    IProfileStore& profile = *m_pProfile;
    for (const ParameterEntry& entry : kParameters) {
        std::visit(Overloaded{[&](std::int32_t CMainParameters::*m) {
                                  if (const auto value = profile.ReadInt(m_strName, entry.name))
                                      this->*m = *value;
                              },
                              [&](double CMainParameters::*m) {
                                  const auto bytes = profile.ReadBinary(m_strName, entry.name);
                                  if (bytes && bytes->size() == kDoubleBytes)
                                      this->*m = DoubleFromBytes(*bytes);
                              },
                              [&](std::string CMainParameters::*m) {
                                  if (const auto value = profile.ReadString(m_strName, entry.name))
                                      this->*m = *value;
                              }},
                   entry.field);
    }
}

bool IsMinDiversityInRange(std::int64_t nMinDiversity) {
    return nMinDiversity >= kMinDiversityLowest && nMinDiversity <= kMinDiversityHighest;
}

double ClampLimitPhase(double dLimitPhase) {
    if (!(dLimitPhase >= kLimitPhaseLowest))
        return kLimitPhaseLowest;
    return dLimitPhase > kLimitPhaseHighest ? kLimitPhaseHighest : dLimitPhase;
}
