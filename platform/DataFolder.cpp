#include "platform/DataFolder.h"

#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <cstdlib>

std::string FindProgramDataFolder(const std::string& executableBaseName) {
    QString base;
    if (const char* overridden = std::getenv("TESSARIC_DATA_DIR"); overridden && *overridden) {
        base = QString::fromLocal8Bit(overridden);
    } else {
        // GenericDataLocation is $XDG_DATA_HOME (default ~/.local/share) here
        // and the common application-data folder on Windows.
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    }
    if (base.isEmpty())
        return {};
    const QString folder = base + QLatin1Char('/') + QString::fromStdString(executableBaseName);
    if (!QDir().mkpath(folder))
        return {};
    return QDir::toNativeSeparators(QDir(folder).absolutePath()).toStdString();
}
