#include "platform/CQtProfileStore.h"

#include <QByteArray>
#include <QString>

namespace {

QString Key(const std::string& section, const std::string& entry) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(entry);
}

} // namespace

CQtProfileStore::CQtProfileStore(const std::string& organisation, const std::string& application) {
#ifdef Q_OS_WIN
    const QSettings::Format format = QSettings::NativeFormat;
#else
    const QSettings::Format format = QSettings::IniFormat;
#endif
    m_settings = std::make_unique<QSettings>(format, QSettings::UserScope,
                                             QString::fromStdString(organisation),
                                             QString::fromStdString(application));
}

CQtProfileStore::CQtProfileStore(const std::string& iniFilePath)
    : m_settings(
          std::make_unique<QSettings>(QString::fromStdString(iniFilePath), QSettings::IniFormat)) {}

std::string CQtProfileStore::FileName() const {
    return m_settings->fileName().toStdString();
}

std::optional<QVariant> CQtProfileStore::Value(const std::string& section,
                                               const std::string& entry) {
    const QVariant value = m_settings->value(Key(section, entry));
    if (!value.isValid())
        return std::nullopt;
    return value;
}

std::optional<std::string> CQtProfileStore::ReadString(const std::string& section,
                                                       const std::string& entry) {
    const auto value = Value(section, entry);
    // A raw entry is not a text, as a binary registry value is not one.
    if (!value || value->typeId() == QMetaType::QByteArray)
        return std::nullopt;
    return value->toString().toStdString();
}

std::optional<std::int32_t> CQtProfileStore::ReadInt(const std::string& section,
                                                     const std::string& entry) {
    const auto value = Value(section, entry);
    if (!value)
        return std::nullopt;
    bool ok = false;
    const int number = value->toInt(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<std::int32_t>(number);
}

std::optional<std::vector<std::uint8_t>> CQtProfileStore::ReadBinary(const std::string& section,
                                                                     const std::string& entry) {
    const auto value = Value(section, entry);
    if (!value || value->typeId() != QMetaType::QByteArray)
        return std::nullopt;
    const QByteArray bytes = value->toByteArray();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool CQtProfileStore::Store(const std::string& section, const std::string& entry,
                            const QVariant& value) {
    if (!m_settings->isWritable())
        return false;
    m_settings->setValue(Key(section, entry), value);
    // Writing through at once makes a refused file show here, not silently
    // when the store goes.
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

bool CQtProfileStore::WriteString(const std::string& section, const std::string& entry,
                                  const std::string& value) {
    return Store(section, entry, QString::fromStdString(value));
}

bool CQtProfileStore::WriteInt(const std::string& section, const std::string& entry,
                               std::int32_t value) {
    return Store(section, entry, static_cast<int>(value));
}

bool CQtProfileStore::WriteBinary(const std::string& section, const std::string& entry,
                                  const std::vector<std::uint8_t>& value) {
    const QByteArray bytes(reinterpret_cast<const char*>(value.data()),
                           static_cast<qsizetype>(value.size()));
    return Store(section, entry, bytes);
}
