#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The per-user application profile: named entries in named sections, each a
// string, a 32-bit integer or a raw byte block. Reads give std::nullopt for a
// missing entry (or one of another type), so the caller keeps its value.
// Writes report whether the entry was stored.
class IProfileStore {
public:
    virtual ~IProfileStore() = default;

    virtual std::optional<std::string> ReadString(const std::string& section,
                                                  const std::string& entry) = 0;
    virtual std::optional<std::int32_t> ReadInt(const std::string& section,
                                                const std::string& entry) = 0;
    virtual std::optional<std::vector<std::uint8_t>> ReadBinary(const std::string& section,
                                                                const std::string& entry) = 0;

    virtual bool WriteString(const std::string& section, const std::string& entry,
                             const std::string& value) = 0;
    virtual bool WriteInt(const std::string& section, const std::string& entry,
                          std::int32_t value) = 0;
    virtual bool WriteBinary(const std::string& section, const std::string& entry,
                             const std::vector<std::uint8_t>& value) = 0;
};
