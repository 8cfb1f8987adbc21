#pragma once

#include "infra/IProfileStore.h"

#include <cstddef>
#include <map>
#include <optional>
#include <utility>
#include <variant>

// A profile held in memory: the store of the command-line program (which
// keeps nothing between runs) and of the tests.
class CMemoryProfileStore : public IProfileStore {
public:
    using Value = std::variant<std::string, std::int32_t, std::vector<std::uint8_t>>;

    std::optional<std::string> ReadString(const std::string& section,
                                          const std::string& entry) override;
    std::optional<std::int32_t> ReadInt(const std::string& section,
                                        const std::string& entry) override;
    std::optional<std::vector<std::uint8_t>> ReadBinary(const std::string& section,
                                                        const std::string& entry) override;

    bool WriteString(const std::string& section, const std::string& entry,
                     const std::string& value) override;
    bool WriteInt(const std::string& section, const std::string& entry,
                  std::int32_t value) override;
    bool WriteBinary(const std::string& section, const std::string& entry,
                     const std::vector<std::uint8_t>& value) override;

    // The stored value of an entry, whatever its type.
    const Value* Find(const std::string& section, const std::string& entry) const;
    std::size_t Size() const { return m_entries.size(); }

    // After this many more successful writes every write fails, as a
    // profile that became read-only would. std::nullopt lifts the limit.
    void SetWriteLimit(std::optional<std::size_t> writes) { m_writesLeft = writes; }

private:
    template <typename T>
    std::optional<T> Read(const std::string& section, const std::string& entry) const;
    bool Store(const std::string& section, const std::string& entry, Value value);

    std::map<std::pair<std::string, std::string>, Value> m_entries;
    std::optional<std::size_t> m_writesLeft;
};
