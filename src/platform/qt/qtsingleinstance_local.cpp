// The single-instance socket on Qt's local sockets (a named pipe on Windows).
#include "platform/qt/qtsingleinstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

// The server closes, and its socket goes, when it is destroyed.
class SingleInstance::Listener {
public:
    QLocalServer m_server;
};

void SingleInstance::EndListener::operator()(Listener* listener) const
{
    delete listener;
}

void SingleInstance::Listen()
{
    m_listener.reset(new Listener);
    QLocalServer& server = m_listener->m_server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_serverName); // left by a clock that was killed
    if (!server.listen(m_serverName))
        qWarning("Cannot listen on %s: %s", qPrintable(m_serverName), qPrintable(server.errorString()));
    connect(&server, &QLocalServer::newConnection, this, [this, &server] {
        while (QLocalSocket* peer = server.nextPendingConnection()) {
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
    });
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
