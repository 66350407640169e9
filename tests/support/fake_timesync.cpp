#include "support/fake_timesync.h"

#include <charconv>

TestClock::TestClock(std::uint32_t start, double realScale) : m_start(start), m_offset(start), m_realScale(realScale) {}

std::uint32_t TestClock::Now() const
{
    const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_made);
    const long long realMs = real.count();
    long long moved = static_cast<long long>(static_cast<double>(realMs) * m_realScale);
    if (realMs > kWatchdogMs)
        moved += realMs - kWatchdogMs;
    return m_offset + static_cast<std::uint32_t>(moved);
}

void FakePump::HandleMessages(int waitMs)
{
    ++rounds;
    if (onMessages)
        onMessages();
    waitedMs += waitMs;
    m_clock.Advance(waitMs);
}

void FakePump::HandleOneMessage()
{
    ++singleRounds;
    if (onMessages)
        onMessages();
}

int ScriptedSocketLayer::Startup(std::uint16_t /*version*/)
{
    calls.push_back("Startup");
    if (startupResult == 0)
        ++m_starts;
    return startupResult;
}

int ScriptedSocketLayer::Cleanup()
{
    calls.push_back("Cleanup");
    if (cleanupFailure != 0) {
        m_lastError = cleanupFailure;
        return -1;
    }
    if (m_starts == 0) {
        m_lastError = socket_error::kNotInitialised;
        return -1;
    }
    --m_starts;
    return 0;
}

std::optional<std::uint32_t> ScriptedSocketLayer::DottedAddress(const std::string& text)
{
    calls.push_back("DottedAddress " + text);
    // Four decimal parts of 0..255, without leading zeros: the strict dotted form.
    std::uint32_t address = 0;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && (at == end || *at++ != '.'))
            return std::nullopt;
        unsigned value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc() || value > 255 || next - at > 3 || (next - at > 1 && *at == '0'))
            return std::nullopt;
        address = address << 8 | value;
        at = next;
    }
    if (at != end)
        return std::nullopt;
    return address;
}

std::optional<std::uint32_t> ScriptedSocketLayer::LookupHost(const std::string& name)
{
    calls.push_back("LookupHost " + name);
    const auto found = hosts.find(name);
    return found == hosts.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::uint16_t> ScriptedSocketLayer::ServiceByPort(std::uint16_t port)
{
    calls.push_back("ServiceByPort " + std::to_string(port));
    const auto found = servicesByPort.find(port);
    return found == servicesByPort.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::uint16_t> ScriptedSocketLayer::ServiceByName(const std::string& name, const std::string& protocol)
{
    calls.push_back("ServiceByName " + name + " " + protocol);
    const auto found = servicesByName.find(name);
    return found == servicesByName.end() ? std::nullopt : std::optional(found->second);
}

SocketHandle ScriptedSocketLayer::OpenStream()
{
    calls.push_back("OpenStream");
    return 7;
}

int ScriptedSocketLayer::Connect(SocketHandle /*socket*/, std::uint32_t address, std::uint16_t port)
{
    calls.push_back("Connect");
    connectedAddress = address;
    connectedPort = port;
    m_connectTick = m_clock.Now();
    m_next = 0;
    if (connectError == 0)
        return 0;
    m_lastError = connectError;
    return -1;
}

ReceiveResult ScriptedSocketLayer::Receive(SocketHandle /*socket*/, std::uint8_t& byte, int waitMs)
{
    calls.push_back("Receive");
    const std::int32_t now = ElapsedMs(m_connectTick, m_clock.Now());
    auto fails = [this](std::int32_t at) { return failAtMs && at >= *failAtMs; };
    if (fails(now)) {
        m_lastError = socket_error::kOther;
        return ReceiveResult::Failed;
    }
    if (m_next < reply.size() && reply[m_next].atMs <= now + waitMs) {
        const Arrival& next = reply[m_next];
        if (next.atMs > now)
            m_clock.Advance(next.atMs - now);
        if (!next.byte)
            return ReceiveResult::Closed; // stays closed: the close is not consumed
        byte = *next.byte;
        ++m_next;
        return ReceiveResult::Byte;
    }
    m_clock.Advance(waitMs);
    return ReceiveResult::Waiting;
}

SocketHandle ScriptedSocketLayer::OpenDatagram()
{
    calls.push_back("OpenDatagram");
    m_pending.clear();
    return 8;
}

int ScriptedSocketLayer::SendTo(SocketHandle /*socket*/, std::uint32_t /*address*/, std::uint16_t /*port*/,
                                const std::vector<std::uint8_t>& bytes)
{
    calls.push_back("SendTo");
    sentDatagrams.push_back(bytes);
    if (datagramServer)
        for (TimedDatagram& reply : datagramServer(bytes))
            m_pending.push_back({m_clock.Now() + static_cast<std::uint32_t>(reply.afterMs), std::move(reply.datagram)});
    return 0;
}

ReceiveResult ScriptedSocketLayer::ReceiveFrom(SocketHandle /*socket*/, Datagram& datagram, int waitMs)
{
    // The earliest one due within the wait comes, at its time.
    auto next = m_pending.end();
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
        if (next == m_pending.end() || ElapsedMs(it->dueTick, next->dueTick) > 0)
            next = it;
    const std::uint32_t now = m_clock.Now();
    if (next == m_pending.end() || ElapsedMs(now, next->dueTick) > waitMs) {
        m_clock.Advance(waitMs);
        return ReceiveResult::Waiting;
    }
    if (ElapsedMs(now, next->dueTick) > 0)
        m_clock.Advance(ElapsedMs(now, next->dueTick));
    datagram = std::move(next->datagram);
    m_pending.erase(next);
    return ReceiveResult::Byte;
}
