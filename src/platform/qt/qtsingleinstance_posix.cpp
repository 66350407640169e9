// The single-instance socket as a Unix-domain socket in the runtime folder, made with the system's
// calls and watched with QSocketNotifier: Qt's local sockets would link Qt's network library (and,
// through it, Kerberos and the proxy library) into every start for these few bytes.
#include "platform/qt/qtsingleinstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The address of the socket at path; false when the path does not fit in one.
bool AddressOf(const QByteArray& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

int RemainingMs(const QDeadlineTimer& deadline)
{
    return static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
}

} // namespace

// Accepts each later start and reads what it sends; answers once the request is whole.
class SingleInstance::Listener {
public:
    Listener(SingleInstance& owner, int fd, QByteArray path)
        : m_owner(owner), m_fd(fd), m_path(std::move(path)), m_notifier(fd, QSocketNotifier::Read)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &owner, [this] { Accept(); });
    }
    ~Listener()
    {
        for (const auto& [fd, peer] : m_peers)
            ::close(fd);
        ::close(m_fd);
        ::unlink(m_path.constData());
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

private:
    struct Peer {
        std::unique_ptr<QSocketNotifier> notifier;
        QByteArray received;
    };

    void Accept()
    {
        for (;;) {
            const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0)
                return;
            Peer& peer = m_peers[fd];
            peer.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(peer.notifier.get(), &QSocketNotifier::activated, &m_owner, [this, fd] { Read(fd); });
        }
    }

    void Read(int fd)
    {
        Peer& peer = m_peers.at(fd);
        char buffer[8];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (got > 0) {
            peer.received.append(buffer, got);
            if (peer.received.size() < kShowRequest.size())
                return;
        }
        // Anything but the one request, or more than it, is not answered.
        if (peer.received == kShowRequest) {
            ::send(fd, kShownAnswer.data(), static_cast<std::size_t>(kShownAnswer.size()), MSG_NOSIGNAL);
            emit m_owner.showRequested();
        }
        // Called from the peer's notifier: it goes once its signal has returned.
        peer.notifier->setEnabled(false);
        peer.notifier.release()->deleteLater();
        ::close(fd);
        m_peers.erase(fd);
    }

    SingleInstance& m_owner;
    int m_fd;
    QByteArray m_path;
    QSocketNotifier m_notifier;
    std::map<int, Peer> m_peers; // by descriptor
};

void SingleInstance::EndListener::operator()(Listener* listener) const
{
    delete listener;
}

void SingleInstance::Listen()
{
    const QByteArray path = QFile::encodeName(m_serverName);
    sockaddr_un address;
    if (!AddressOf(path, address)) {
        qWarning("Cannot listen on %s: the path is too long", path.constData());
        return;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ::unlink(path.constData()); // left by a clock that was killed
    // Private to the user before anyone can connect: a socket takes connections only once it listens.
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        qWarning("Cannot listen on %s: %s", path.constData(), std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        ::unlink(path.constData());
        return;
    }
    m_listener.reset(new Listener(*this, fd, path));
}

bool SingleInstance::ShowRunning()
{
    sockaddr_un address;
    if (!AddressOf(QFile::encodeName(m_serverName), address))
        return false;
    // The running clock may have taken the lock a moment ago and not listen yet.
    const QDeadlineTimer deadline(kAnswerWaitMs);
    while (!deadline.hasExpired()) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            QThread::msleep(100);
            continue;
        }
        QByteArray answer;
        if (::send(fd, kShowRequest.data(), static_cast<std::size_t>(kShowRequest.size()), MSG_NOSIGNAL) ==
            kShowRequest.size()) {
            pollfd ready{fd, POLLIN, 0};
            while (answer.size() < kShownAnswer.size() && ::poll(&ready, 1, RemainingMs(deadline)) > 0) {
                char buffer[8];
                const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got <= 0 && !(got < 0 && (errno == EAGAIN || errno == EINTR)))
                    break;
                if (got > 0)
                    answer.append(buffer, got);
            }
        }
        ::close(fd);
        return answer.left(kShownAnswer.size()) == kShownAnswer;
    }
    return false;
}
