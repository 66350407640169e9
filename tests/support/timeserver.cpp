#include "support/timeserver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kPollMs = 20;

using Clock = std::chrono::steady_clock;

int BoundSocket(std::uint16_t port, std::uint16_t& boundPort)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    boundPort = ntohs(address.sin_port);
    return fd;
}

// True when the client has closed or reset the connection.
bool ClientGone(int connection)
{
    pollfd ready{connection, POLLIN, 0};
    if (::poll(&ready, 1, 0) <= 0)
        return false;
    char byte = 0;
    const ssize_t received = ::recv(connection, &byte, 1, MSG_DONTWAIT);
    return received == 0 || (received < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
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
    m_listener = BoundSocket(port, m_port);
    if (m_listener >= 0 && ::listen(m_listener, 8) != 0) {
        ::close(m_listener);
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
        ::close(m_listener);
}

void ScriptedTimeServer::Run()
{
    while (!m_stop) {
        pollfd ready{m_listener, POLLIN, 0};
        if (::poll(&ready, 1, kPollMs) <= 0)
            continue;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        ++m_connections;
        Serve(connection);
        ::close(connection);
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
            const ssize_t sent = ::send(connection, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
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
            pollfd ready{connection, POLLOUT, 0};
            if (::poll(&ready, 1, kPollMs) <= 0)
                continue;
            const ssize_t sent = ::send(connection, filler.data(), filler.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
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
    std::uint16_t port = 0;
    const int fd = BoundSocket(0, port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

bool AcceptsConnections(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}
