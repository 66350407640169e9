#include "platform/qt/qtuserfolders.h"

#include <QDir>
#include <QStandardPaths>

std::string UserConfigFolder()
{
#ifdef Q_OS_WIN
    const auto where = QStandardPaths::AppDataLocation;
#else
    const auto where = QStandardPaths::GenericConfigLocation;
#endif
    const QString base = QStandardPaths::writableLocation(where);
    if (base.isEmpty())
        return {};
#ifdef Q_OS_WIN
    // The application-data location ends in the program's display name; the folder is named as on Linux.
    return QDir::cleanPath(base + QStringLiteral("/../chronivo")).toStdString() + '/';
#else
    return QDir::cleanPath(base + QStringLiteral("/chronivo")).toStdString() + '/';
#endif
}

bool MakeFolder(const std::string& folder)
{
    return QDir().mkpath(QString::fromStdString(folder));
}
