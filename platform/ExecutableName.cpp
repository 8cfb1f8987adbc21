#include "platform/ExecutableName.h"

#include "infra/Version.h"

#include <QCoreApplication>
#include <QFileInfo>

std::string ExecutableBaseName() {
    QString path;
    if (QCoreApplication::instance())
        path = QCoreApplication::applicationFilePath();
#ifdef Q_OS_LINUX
    // Without an application object Linux still names the running program.
    if (path.isEmpty())
        path = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
#endif
    const QString name = QFileInfo(path).completeBaseName();
    return name.isEmpty() ? std::string(kTessaricProgramName) : name.toStdString();
}
