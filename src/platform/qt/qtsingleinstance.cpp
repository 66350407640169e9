#include "platform/qt/qtsingleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const std::string& settingsFolder)
{
    // The runtime folder is the user's own and emptied at log-out; the settings folder, hashed, tells
    // two portable copies of one user apart.
    const QByteArray key = QCryptographicHash::hash(QByteArray::fromStdString(settingsFolder), QCryptographicHash::Sha1)
                               .toHex()
                               .left(16);
    const QString name = QStringLiteral("chronivo-") + QString::fromLatin1(key);
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    m_lockPath = runtime + QLatin1Char('/') + name + QStringLiteral(".lock");
#ifdef Q_OS_WIN
    m_serverName = name; // a named pipe, private to the session
#else
    m_serverName = runtime + QLatin1Char('/') + name + QStringLiteral(".socket");
#endif
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::BecomeFirst()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // A lock whose process is gone is stale at once; a live holder is never taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        m_lock.reset(); // no lock can be had here: run without one rather than not at all
        return true;
    }
    Listen();
    return true;
}

