#include "platform/socketlayer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int ReasonOf(int error)
{
    switch (error) {
    case EINPROGRESS:
    case EAGAIN:
        return socket_error::kWouldBlock;
    case EINTR:
        return socket_error::kInterrupted;
    case ECONNREFUSED:
        return socket_error::kRefused;
    default:
        return socket_error::kOther;
    }
}

// POSIX sockets need no start, so the counted start and clean-up of the layer are kept here: the
// callers see the same life cycle on every platform, and the last clean-up closes what is left
// open. Sockets are non-blocking; receives wait with poll, so no call ever blocks past its wait.
class PosixSocketLayer final : public SocketLayer {
public:
    ~PosixSocketLayer() override { CloseAll(); }

    int Startup(std::uint16_t version) override
    {
        if (version != 0x0101)
            return m_lastError = socket_error::kOther;
        ++m_starts;
        return 0;
    }

    int Cleanup() override
    {
        if (m_starts == 0) {
            m_lastError = socket_error::kNotInitialised;
            return -1;
        }
        if (--m_starts == 0)
            CloseAll();
        return 0;
    }

    int LastError() const override { return m_lastError; }

    void CancelBlockingCall() override
    {
        // Nothing blocks: every wait is a bounded poll.
    }

    std::optional<std::uint32_t> DottedAddress(const std::string& text) override
    {
        in_addr address{};
        if (::inet_aton(text.c_str(), &address) == 0)
            return std::nullopt;
        return ntohl(address.s_addr);
    }

    std::optional<std::uint32_t> LookupHost(const std::string& name) override
    {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found)
            return std::nullopt;
        const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
        const std::uint32_t result = ntohl(address->sin_addr.s_addr);
        ::freeaddrinfo(found);
        return result;
    }

    std::optional<std::uint16_t> ServiceByPort(std::uint16_t port) override
    {
        servent entry{};
        servent* found = nullptr;
        char buffer[1024];
        if (::getservbyport_r(htons(port), nullptr, &entry, buffer, sizeof buffer, &found) != 0 || !found)
            return std::nullopt;
        return ntohs(static_cast<std::uint16_t>(found->s_port));
    }

    std::optional<std::uint16_t> ServiceByName(const std::string& name, const std::string& protocol) override
    {
        servent entry{};
        servent* found = nullptr;
        char buffer[1024];
        if (::getservbyname_r(name.c_str(), protocol.c_str(), &entry, buffer, sizeof buffer, &found) != 0 || !found)
            return std::nullopt;
        return ntohs(static_cast<std::uint16_t>(found->s_port));
    }

    SocketHandle OpenStream() override { return OpenSocket(SOCK_STREAM); }

    SocketHandle OpenDatagram() override { return OpenSocket(SOCK_DGRAM); }

    int SendTo(SocketHandle socket, std::uint32_t address, std::uint16_t port,
               const std::vector<std::uint8_t>& bytes) override
    {
        const sockaddr_in peer = PeerAddress(address, port);
        const ssize_t sent = ::sendto(static_cast<int>(socket), bytes.data(), bytes.size(), 0,
                                      reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        if (sent == static_cast<ssize_t>(bytes.size()))
            return 0;
        m_lastError = sent < 0 ? ReasonOf(errno) : socket_error::kOther;
        return -1;
    }

    ReceiveResult ReceiveFrom(SocketHandle socket, Datagram& datagram, int waitMs) override
    {
        pollfd ready{static_cast<int>(socket), POLLIN, 0};
        const int polled = ::poll(&ready, 1, waitMs < 0 ? 0 : waitMs);
        if (polled == 0 || (polled < 0 && errno == EINTR))
            return ReceiveResult::Waiting;
        datagram.bytes.resize(kMaxDatagramBytes);
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t received = ::recvfrom(static_cast<int>(socket), datagram.bytes.data(), datagram.bytes.size(), 0,
                                            reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received < 0) {
            datagram.bytes.clear();
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                return ReceiveResult::Waiting;
            m_lastError = ReasonOf(errno);
            return ReceiveResult::Failed;
        }
        datagram.bytes.resize(static_cast<std::size_t>(received));
        datagram.address = ntohl(from.sin_addr.s_addr);
        datagram.port = ntohs(from.sin_port);
        return ReceiveResult::Byte;
    }

    int Connect(SocketHandle socket, std::uint32_t address, std::uint16_t port) override
    {
        const sockaddr_in peer = PeerAddress(address, port);
        if (::connect(static_cast<int>(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
            return 0;
        m_lastError = ReasonOf(errno);
        return -1;
    }

    ReceiveResult Receive(SocketHandle socket, std::uint8_t& byte, int waitMs) override
    {
        pollfd ready{static_cast<int>(socket), POLLIN, 0};
        const int polled = ::poll(&ready, 1, waitMs < 0 ? 0 : waitMs);
        if (polled == 0 || (polled < 0 && errno == EINTR))
            return ReceiveResult::Waiting;
        const ssize_t received = ::recv(static_cast<int>(socket), &byte, 1, 0);
        if (received == 1)
            return ReceiveResult::Byte;
        if (received == 0)
            return ReceiveResult::Closed;
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return ReceiveResult::Waiting;
        m_lastError = ReasonOf(errno);
        return ReceiveResult::Failed;
    }

    void Shutdown(SocketHandle socket) override { ::shutdown(static_cast<int>(socket), SHUT_RDWR); }

    void Close(SocketHandle socket) override
    {
        if (m_open.erase(static_cast<int>(socket)) != 0)
            ::close(static_cast<int>(socket));
    }

private:
    static sockaddr_in PeerAddress(std::uint32_t address, std::uint16_t port)
    {
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        peer.sin_addr.s_addr = htonl(address);
        return peer;
    }

    SocketHandle OpenSocket(int type)
    {
        if (m_starts == 0) {
            m_lastError = socket_error::kNotInitialised;
            return kNoSocket;
        }
        const int socket = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (socket < 0) {
            m_lastError = ReasonOf(errno);
            return kNoSocket;
        }
        m_open.insert(socket);
        return socket;
    }

    void CloseAll()
    {
        for (const int socket : m_open)
            ::close(socket);
        m_open.clear();
    }

    int m_starts = 0;
    int m_lastError = 0;
    std::set<int> m_open;
};

} // namespace

std::unique_ptr<SocketLayer> MakeSystemSocketLayer()
{
    return std::make_unique<PosixSocketLayer>();
}
