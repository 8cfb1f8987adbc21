#include "infra/CMemoryProfileStore.h"

template <typename T>
std::optional<T> CMemoryProfileStore::Read(const std::string& section,
                                           const std::string& entry) const {
    const Value* value = Find(section, entry);
    if (!value || !std::holds_alternative<T>(*value))
        return std::nullopt;
    return std::get<T>(*value);
}

bool CMemoryProfileStore::Store(const std::string& section, const std::string& entry, Value value) {
    if (m_writesLeft) {
        if (*m_writesLeft == 0)
            return false;
        --*m_writesLeft;
    }
    m_entries[{section, entry}] = std::move(value);
    return true;
}

const CMemoryProfileStore::Value* CMemoryProfileStore::Find(const std::string& section,
                                                            const std::string& entry) const {
    const auto found = m_entries.find({section, entry});
    return found == m_entries.end() ? nullptr : &found->second;
}

std::optional<std::string> CMemoryProfileStore::ReadString(const std::string& section,
                                                           const std::string& entry) {
    return Read<std::string>(section, entry);
}

std::optional<std::int32_t> CMemoryProfileStore::ReadInt(const std::string& section,
                                                         const std::string& entry) {
    return Read<std::int32_t>(section, entry);
}

std::optional<std::vector<std::uint8_t>> CMemoryProfileStore::ReadBinary(const std::string& section,
                                                                         const std::string& entry) {
    return Read<std::vector<std::uint8_t>>(section, entry);
}

bool CMemoryProfileStore::WriteString(const std::string& section, const std::string& entry,
                                      const std::string& value) {
    return Store(section, entry, value);
}

bool CMemoryProfileStore::WriteInt(const std::string& section, const std::string& entry,
                                   std::int32_t value) {
    return Store(section, entry, value);
}

bool CMemoryProfileStore::WriteBinary(const std::string& section, const std::string& entry,
                                      const std::vector<std::uint8_t>& value) {
    return Store(section, entry, value);
}
