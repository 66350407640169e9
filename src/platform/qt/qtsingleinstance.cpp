#include "platform/qt/qtsingleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace {

constexpr QByteArrayView kShowRequest = "show\n";
constexpr QByteArrayView kShownAnswer = "shown\n";
constexpr int kAnswerWaitMs = 5000;

} // namespace

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

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close(); // removes the socket file
}

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
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_serverName); // left by a clock that was killed
    if (!m_server->listen(m_serverName))
        qWarning("Cannot listen on %s: %s", qPrintable(m_serverName), qPrintable(m_server->errorString()));
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::Answer);
    return true;
}

void SingleInstance::Answer()
{
    while (QLocalSocket* peer = m_server->nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
            // Anything but the one request, or more than it, is not answered.
            if (peer->bytesAvailable() < kShowRequest.size())
                return;
            if (peer->read(kShowRequest.size() + 1) == kShowRequest) {
                peer->write(kShownAnswer.data(), kShownAnswer.size());
                emit showRequested();
            }
            peer->disconnectFromServer();
        });
    }
}

bool SingleInstance::ShowRunning()
{
    // The running clock may have taken the lock a moment ago and not listen yet.
    const QDeadlineTimer deadline(kAnswerWaitMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            socket.write(kShowRequest.data(), kShowRequest.size());
            while (socket.bytesAvailable() < kShownAnswer.size() &&
                   socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                ;
            return socket.read(kShownAnswer.size()) == kShownAnswer;
        }
        QThread::msleep(100);
    }
    return false;
}
