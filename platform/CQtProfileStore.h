#pragma once

#include "infra/IProfileStore.h"

#include <QSettings>
#include <memory>

// The per-user profile on QSettings: the registry on Windows, an INI file
// below $XDG_CONFIG_HOME (default ~/.config) elsewhere. Sections are groups,
// raw entries QByteArrays.
class CQtProfileStore : public IProfileStore {
public:
    // The program's own profile: organisation and application name.
    CQtProfileStore(const std::string& organisation, const std::string& application);
    // A profile in the given INI file.
    explicit CQtProfileStore(const std::string& iniFilePath);

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

    std::string FileName() const;

private:
    std::optional<QVariant> Value(const std::string& section, const std::string& entry);
    bool Store(const std::string& section, const std::string& entry, const QVariant& value);

    std::unique_ptr<QSettings> m_settings;
};

inline constexpr const char* kProfileOrganisation = "Zentavo";
