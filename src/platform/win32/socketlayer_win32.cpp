#include "platform/socketlayer.h"

// Windows Sockets 1.1 (wsock32).
#include <winsock.h>

namespace {

constexpr int kShutdownBoth = 2; // SD_BOTH

// Winsock counts its starts for the whole process. This layer releases only the starts it made
// itself: cleaning up until Winsock reports none left would take the starts of everything else in
// the process (and close its sockets). With none of its own left, a clean-up fails as Winsock's would.
class Win32SocketLayer final : public SocketLayer {
public:
    Win32SocketLayer() = default;
    ~Win32SocketLayer() override
    {
        for (; m_starts > 0; --m_starts)
            WSACleanup();
    }
    Win32SocketLayer(const Win32SocketLayer&) = delete;
    Win32SocketLayer& operator=(const Win32SocketLayer&) = delete;

    int Startup(std::uint16_t version) override
    {
        WSADATA data{};
        const int result = WSAStartup(version, &data);
        if (result == 0)
            ++m_starts;
        return result;
    }

    int Cleanup() override
    {
        if (m_starts == 0) {
            m_lastError = WSANOTINITIALISED;
            return -1;
        }
        if (WSACleanup() != 0) {
            m_lastError = WSAGetLastError();
            return -1;
        }
        --m_starts;
        return 0;
    }

    // The layer's reasons are the codes callers expect.
    int LastError() const override { return m_lastError; }

    void CancelBlockingCall() override { WSACancelBlockingCall(); }

    std::optional<std::uint32_t> DottedAddress(const std::string& text) override
    {
        const unsigned long address = inet_addr(text.c_str());
        if (address == INADDR_NONE)
            return std::nullopt;
        return ntohl(address);
    }

    std::optional<std::uint32_t> LookupHost(const std::string& name) override
    {
        const hostent* host = gethostbyname(name.c_str());
        if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0])
            return std::nullopt;
        in_addr address{};
        address.s_addr = *reinterpret_cast<const u_long*>(host->h_addr_list[0]);
        return ntohl(address.s_addr);
    }

    std::optional<std::uint16_t> ServiceByPort(std::uint16_t port) override
    {
        const servent* entry = getservbyport(htons(port), nullptr);
        if (!entry)
            return std::nullopt;
        return ntohs(static_cast<u_short>(entry->s_port));
    }

    std::optional<std::uint16_t> ServiceByName(const std::string& name, const std::string& protocol) override
    {
        const servent* entry = getservbyname(name.c_str(), protocol.c_str());
        if (!entry)
            return std::nullopt;
        return ntohs(static_cast<u_short>(entry->s_port));
    }

    SocketHandle OpenStream() override { return OpenSocket(SOCK_STREAM); }

    SocketHandle OpenDatagram() override { return OpenSocket(SOCK_DGRAM); }

    int SendTo(SocketHandle socket, std::uint32_t address, std::uint16_t port,
               const std::vector<std::uint8_t>& bytes) override
    {
        const sockaddr_in peer = PeerAddress(address, port);
        const int sent = sendto(static_cast<SOCKET>(socket), reinterpret_cast<const char*>(bytes.data()),
                                static_cast<int>(bytes.size()), 0, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
        if (sent == static_cast<int>(bytes.size()))
            return 0;
        m_lastError = sent == SOCKET_ERROR ? WSAGetLastError() : socket_error::kOther;
        return -1;
    }

    ReceiveResult ReceiveFrom(SocketHandle socket, Datagram& datagram, int waitMs) override
    {
        const auto handle = static_cast<SOCKET>(socket);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(handle, &readable);
        timeval wait{waitMs / 1000, (waitMs % 1000) * 1000};
        const int ready = select(0, &readable, nullptr, nullptr, &wait);
        if (ready == 0)
            return ReceiveResult::Waiting;
        datagram.bytes.resize(kMaxDatagramBytes);
        sockaddr_in from{};
        int fromLength = sizeof from;
        const int received = ready == SOCKET_ERROR
                                 ? SOCKET_ERROR
                                 : recvfrom(handle, reinterpret_cast<char*>(datagram.bytes.data()),
                                            static_cast<int>(datagram.bytes.size()), 0,
                                            reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received == SOCKET_ERROR) {
            datagram.bytes.clear();
            m_lastError = WSAGetLastError();
            // A datagram longer than the buffer comes cut, as on other systems.
            if (m_lastError != WSAEMSGSIZE)
                return m_lastError == WSAEWOULDBLOCK ? ReceiveResult::Waiting : ReceiveResult::Failed;
            datagram.bytes.resize(kMaxDatagramBytes);
        } else {
            datagram.bytes.resize(static_cast<std::size_t>(received));
        }
        datagram.address = ntohl(from.sin_addr.s_addr);
        datagram.port = ntohs(from.sin_port);
        return ReceiveResult::Byte;
    }

    int Connect(SocketHandle socket, std::uint32_t address, std::uint16_t port) override
    {
        // Non-blocking: a server that never answers the connection would otherwise hold the thread
        // (and the window) for the system's whole connect time-out. The receives wait for the rest.
        u_long nonBlocking = 1;
        ioctlsocket(static_cast<SOCKET>(socket), FIONBIO, &nonBlocking);
        const sockaddr_in peer = PeerAddress(address, port);
        if (connect(static_cast<SOCKET>(socket), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
            return 0;
        m_lastError = WSAGetLastError();
        return -1;
    }

    ReceiveResult Receive(SocketHandle socket, std::uint8_t& byte, int waitMs) override
    {
        const auto handle = static_cast<SOCKET>(socket);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(handle, &readable);
        // A connect still under way that fails is reported here, not as readable.
        fd_set failed;
        FD_ZERO(&failed);
        FD_SET(handle, &failed);
        timeval wait{waitMs / 1000, (waitMs % 1000) * 1000};
        const int ready = select(0, &readable, nullptr, &failed, &wait);
        if (ready == 0)
            return ReceiveResult::Waiting;
        if (ready != SOCKET_ERROR && FD_ISSET(handle, &failed)) {
            int reason = 0;
            int length = sizeof reason;
            getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&reason), &length);
            m_lastError = reason != 0 ? reason : WSAECONNREFUSED;
            return ReceiveResult::Failed;
        }
        if (ready != SOCKET_ERROR) {
            const int received = recv(handle, reinterpret_cast<char*>(&byte), 1, 0);
            if (received == 1)
                return ReceiveResult::Byte;
            if (received == 0)
                return ReceiveResult::Closed;
        }
        m_lastError = WSAGetLastError();
        return m_lastError == WSAEWOULDBLOCK ? ReceiveResult::Waiting : ReceiveResult::Failed;
    }

    void Shutdown(SocketHandle socket) override { shutdown(static_cast<SOCKET>(socket), kShutdownBoth); }

    void Close(SocketHandle socket) override { closesocket(static_cast<SOCKET>(socket)); }

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
        const SOCKET socket = ::socket(AF_INET, type, 0);
        if (socket == INVALID_SOCKET) {
            m_lastError = WSAGetLastError();
            return kNoSocket;
        }
        return static_cast<SocketHandle>(socket);
    }

    int m_lastError = 0;
    int m_starts = 0; // WSAStartup calls of this layer not yet released
};

} // namespace

std::unique_ptr<SocketLayer> MakeSystemSocketLayer()
{
    return std::make_unique<Win32SocketLayer>();
}
