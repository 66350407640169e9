#include "support/timeserver.h"

#include <cerrno>
#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

constexpr int kPollMs = 20;

// The few calls that differ between BSD sockets and Winsock. Sockets are kept as int: a Winsock
// handle is a small number as well.
#ifdef _WIN32
constexpr int kSendFlags = 0;
using SockLen = int;
void CloseSocket(int fd)
{
    ::closesocket(static_cast<SOCKET>(fd));
}
int NewStream()
{
    const SOCKET fd = ::socket(AF_INET, SOCK_STREAM, 0);
    return fd == INVALID_SOCKET ? -1 : static_cast<int>(fd);
}
int Accept(int listener)
{
    const SOCKET fd = ::accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    return fd == INVALID_SOCKET ? -1 : static_cast<int>(fd);
}
bool WouldBlock()
{
    return ::WSAGetLastError() == WSAEWOULDBLOCK;
}
void SetNonBlocking(int fd, bool on)
{
    u_long mode = on ? 1 : 0;
    ::ioctlsocket(static_cast<SOCKET>(fd), FIONBIO, &mode);
}
// Each server holds its own start of Winsock, released when it is destroyed.
struct SocketsStarted {
    SocketsStarted()
    {
        WSADATA data{};
        ok = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~SocketsStarted()
    {
        if (ok)
            ::WSACleanup();
    }
    bool ok = false;
};
#else
constexpr int kSendFlags = MSG_NOSIGNAL;
using SockLen = socklen_t;
void CloseSocket(int fd)
{
    ::close(fd);
}
int NewStream()
{
    return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}
int Accept(int listener)
{
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}
bool WouldBlock()
{
    return errno == EAGAIN || errno == EWOULDBLOCK;
}
void SetNonBlocking(int, bool) {}
struct SocketsStarted {
    bool ok = true;
};
#endif

// Waits up to ms for fd to become readable (or writable); true when it is.
bool Ready(int fd, bool forWriting, int ms)
{
#ifdef _WIN32
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<SOCKET>(fd), &set);
    timeval wait{ms / 1000, (ms % 1000) * 1000};
    return ::select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &wait) > 0;
#else
    pollfd ready{fd, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    return ::poll(&ready, 1, ms) > 0;
#endif
}

using Clock = std::chrono::steady_clock;

int BoundSocket(std::uint16_t port, std::uint16_t& boundPort)
{
    const int fd = NewStream();
    if (fd < 0)
        return -1;
#ifndef _WIN32
    // On Windows the same option would let a second server take a port in use.
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    SockLen length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        CloseSocket(fd);
        return -1;
    }
    boundPort = ntohs(address.sin_port);
    return fd;
}

// True when the client has closed or reset the connection.
bool ClientGone(int connection)
{
    if (!Ready(connection, false, 0))
        return false;
    char byte = 0;
    SetNonBlocking(connection, true);
#ifdef _WIN32
    const int received = ::recv(static_cast<SOCKET>(connection), &byte, 1, 0);
#else
    const ssize_t received = ::recv(connection, &byte, 1, MSG_DONTWAIT);
#endif
    const bool gone = received == 0 || (received < 0 && !WouldBlock());
    SetNonBlocking(connection, false);
    return gone;
}

} // namespace

std::vector<std::uint8_t> TimeBytes(std::uint32_t seconds)
{
    return {static_cast<std::uint8_t>(seconds >> 24), static_cast<std::uint8_t>(seconds >> 16),
            static_cast<std::uint8_t>(seconds >> 8), static_cast<std::uint8_t>(seconds)};
}

ServerScript PromptReply(std::vector<std::uint8_t> bytes)
{
    return ServerScript{{ServerStep{0, std::move(bytes)}}, ServerEnd::Close};
}

ScriptedTimeServer::ScriptedTimeServer(ServerScript script, std::uint16_t port) : m_script(std::move(script))
{
    m_sockets = std::make_shared<SocketsStarted>();
    m_listener = BoundSocket(port, m_port);
    if (m_listener >= 0 && ::listen(m_listener, 8) != 0) {
        CloseSocket(m_listener);
        m_listener = -1;
    }
    if (m_listener >= 0)
        m_thread = std::thread([this] { Run(); });
}

ScriptedTimeServer::~ScriptedTimeServer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener >= 0)
        CloseSocket(m_listener);
}

void ScriptedTimeServer::Run()
{
    while (!m_stop) {
        if (!Ready(m_listener, false, kPollMs))
            continue;
        const int connection = Accept(m_listener);
        if (connection < 0)
            continue;
        ++m_connections;
        Serve(connection);
        CloseSocket(connection);
    }
}

// Waits ms while watching for the stop; false when the server is stopping.
bool ScriptedTimeServer::PauseMs(int ms)
{
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        if (m_stop)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 5)));
    }
    return !m_stop;
}

void ScriptedTimeServer::Serve(int connection)
{
    for (const ServerStep& step : m_script.steps) {
        if (!PauseMs(step.delayMs))
            return;
        if (!step.bytes.empty()) {
            const auto sent = ::send(connection, reinterpret_cast<const char*>(step.bytes.data()),
                                     static_cast<int>(step.bytes.size()), kSendFlags);
            if (sent > 0)
                m_bytesSent += sent;
        }
    }
    switch (m_script.end) {
    case ServerEnd::Close:
        return;
    case ServerEnd::KeepOpen:
        while (!m_stop && !ClientGone(connection))
            PauseMs(kPollMs);
        return;
    case ServerEnd::Stream: {
        const std::vector<std::uint8_t> filler(1024, 0x55);
        while (!m_stop) {
            if (!Ready(connection, true, kPollMs))
                continue;
            SetNonBlocking(connection, true);
#ifdef _WIN32
            const auto sent =
                ::send(connection, reinterpret_cast<const char*>(filler.data()), static_cast<int>(filler.size()), 0);
#else
            const auto sent = ::send(connection, filler.data(), filler.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
#endif
            const bool gone = sent < 0 && !WouldBlock();
            SetNonBlocking(connection, false);
            if (gone)
                return; // the client has gone
            if (sent > 0)
                m_bytesSent += sent;
        }
        return;
    }
    }
}

std::uint16_t UnusedPort()
{
    const SocketsStarted sockets;
    std::uint16_t port = 0;
    const int fd = BoundSocket(0, port);
    if (fd >= 0)
        CloseSocket(fd);
    return port;
}

bool AcceptsConnections(std::uint16_t port)
{
    const SocketsStarted sockets;
    const int fd = NewStream();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    CloseSocket(fd);
    return connected;
}
