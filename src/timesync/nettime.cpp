#include "timesync/nettime.h"

#include "platform/messagepump.h"
#include "platform/tickcounter.h"
#include "platform/timezoneinfo.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::uint16_t kSocketVersion = 0x0101;
constexpr double kMinutesPerDay = 1440.0;

} // namespace

double TimeZoneBias(const TimeZoneSource& zone)
{
    const TimeZoneInformation info = zone.Query();
    int minutes = info.bias;
    if (info.state == TimeZoneState::Standard)
        minutes += info.standardBias;
    else if (info.state == TimeZoneState::Daylight)
        minutes += info.daylightBias;
    return minutes / kMinutesPerDay;
}

TDateTime TimeProtocolUtc(std::uint32_t seconds)
{
    constexpr std::uint32_t kTopBit = 0x80000000u;
    constexpr double kEraSeconds = 4294967296.0; // 2^32
    double sinceEpoch = seconds;
    if ((seconds & kTopBit) == 0)
        sinceEpoch += kEraSeconds;
    // A server sends the second it is in: on average half a second has gone by since it began.
    return NetTime::kTimeEpoch + (sinceEpoch + 0.5) / kSecondsPerDay;
}

void WaitWithMessages(const TickCounter& ticks, MessagePump& pump, int ms)
{
    const std::uint32_t start = ticks.Now();
    for (;;) {
        // The pump sleeps until a message comes or the rest of the pause is over, so the pause
        // costs no processor time while the window is idle.
        pump.HandleMessages(std::max(0, ms - ElapsedMs(start, ticks.Now())));
        if (ElapsedMs(start, ticks.Now()) >= ms)
            return;
    }
}

NetTime::NetTime(NetTimeServices services) : m_services(services) {}

NetTime::~NetTime()
{
    StopSockets();
}

TDateTime NetTime::NetworkTime(const std::string& server, const std::string& service)
{
    if (!StartSockets())
        return 0.0;
    const SocketHandle socket = OpenConnection(server, service);
    if (socket == kNoSocket) {
        StopSockets();
        return 0.0;
    }

    std::uint32_t value = 0;
    for (int count = 1;; ++count) {
        const std::uint8_t byte = ReadByteWithTimeout(socket, kByteTimeoutMs);
        value = (value << 8) | byte;
        if (count == 4 || m_timedOut || m_readFailed)
            break;
    }

    TDateTime result = 0.0;
    if (!m_timedOut && !m_readFailed) {
        result = TimeProtocolUtc(value) - TimeZoneBias();
        m_replyTick = m_byteTick;
    }
    CloseConnection(socket);
    StopSockets();
    return result;
}

bool NetTime::StartSockets()
{
    if (!m_socketsStarted)
        m_socketsStarted = m_services.sockets.Startup(kSocketVersion) == 0;
    return m_socketsStarted;
}

bool NetTime::StopSockets()
{
    if (!m_socketsStarted)
        return true;
    SocketLayer& sockets = m_services.sockets;
    sockets.CancelBlockingCall();
    // Starts are counted by the layer: release them until it says none is left.
    do {
        WaitWithMessages(kStopRoundMs);
    } while (sockets.Cleanup() == 0);
    if (sockets.LastError() == socket_error::kNotInitialised)
        m_socketsStarted = false;
    return !m_socketsStarted;
}

std::optional<std::uint32_t> NetTime::ResolveAddress(const std::string& host)
{
    if (const auto dotted = m_services.sockets.DottedAddress(host))
        return dotted;
    return m_services.sockets.LookupHost(host);
}

std::optional<std::uint16_t> NetTime::ResolvePort(const std::string& service, const std::string& protocol)
{
    int number = 0;
    const char* first = service.data();
    const char* last = first + service.size();
    const auto [end, error] = std::from_chars(first, last, number);
    const bool isNumber = error == std::errc{} && end == last;
    if (!isNumber || number <= 0)
        return m_services.sockets.ServiceByName(service, protocol);
    if (number > 0xFFFF)
        return std::nullopt;
    const auto port = static_cast<std::uint16_t>(number);
    return m_services.sockets.ServiceByPort(port).value_or(port);
}

SocketHandle NetTime::OpenConnection(const std::string& host, const std::string& service)
{
    const auto address = ResolveAddress(host);
    if (!address)
        return kNoSocket;
    SocketLayer& sockets = m_services.sockets;
    const SocketHandle socket = sockets.OpenStream();
    if (socket == kNoSocket)
        return kNoSocket;
    const auto port = ResolvePort(service);
    if (port && sockets.Connect(socket, *address, *port) == 0)
        return socket;
    if (port) {
        // A connection still being made (or interrupted) may yet succeed: the reads decide.
        const int reason = sockets.LastError();
        if (reason == socket_error::kWouldBlock || reason == socket_error::kInterrupted)
            return socket;
    }
    sockets.Close(socket);
    return kNoSocket;
}

ReceiveResult NetTime::ReceiveWithin(SocketHandle socket, std::uint8_t& byte, std::uint32_t start, int timeoutMs)
{
    // The wait is cut into short slices with a round of window messages between them, as a
    // blocking call's hook would do, so the window stays live for the whole time-out.
    const TickCounter& ticks = m_services.ticks;
    for (;;) {
        const int remaining = timeoutMs - ElapsedMs(start, ticks.Now());
        const ReceiveResult result =
            m_services.sockets.Receive(socket, byte, std::clamp(remaining, 0, kReceiveSliceMs));
        if (result != ReceiveResult::Waiting || ElapsedMs(start, ticks.Now()) >= timeoutMs)
            return result;
        HandleOneMessage();
    }
}

std::uint8_t NetTime::ReadByteWithTimeout(SocketHandle socket, int timeoutMs)
{
    const TickCounter& ticks = m_services.ticks;
    const std::uint32_t start = ticks.Now();
    for (;;) {
        std::uint8_t byte = 0;
        const ReceiveResult result = ReceiveWithin(socket, byte, start, timeoutMs);
        const std::uint32_t now = ticks.Now();
        // Decided by the clock alone: a byte that comes once the time-out has passed still fails.
        m_timedOut = ElapsedMs(start, now) >= timeoutMs;
        HandleOneMessage();
        if (result == ReceiveResult::Byte)
            m_byteTick = now;
        if (result == ReceiveResult::Byte || result == ReceiveResult::Failed || m_timedOut) {
            m_readFailed = result == ReceiveResult::Failed;
            return byte;
        }
        // The server has closed its side, so every further receive would come back empty at once:
        // rather than spin on them, the rest of the time-out is spent handling window messages.
        WaitWithMessages(timeoutMs - ElapsedMs(start, ticks.Now()));
    }
}

void NetTime::CloseConnection(SocketHandle socket)
{
    SocketLayer& sockets = m_services.sockets;
    sockets.Shutdown(socket);
    WaitWithMessages(kCloseWaitMs);
    // What the server sent after the reply is read and dropped, but only what has already come and
    // no more than a bounded amount: a server that keeps sending must not hold the program here.
    const TickCounter& ticks = m_services.ticks;
    const std::uint32_t start = ticks.Now();
    std::uint8_t discarded = 0;
    for (int count = 0; count < kDrainMaxBytes && ElapsedMs(start, ticks.Now()) < kDrainMaxMs; ++count) {
        if (sockets.Receive(socket, discarded, 0) != ReceiveResult::Byte)
            break;
    }
    sockets.Close(socket);
}

void NetTime::WaitWithMessages(int ms)
{
    ::WaitWithMessages(m_services.ticks, m_services.pump, ms);
}

void NetTime::HandleOneMessage()
{
    m_services.pump.HandleOneMessage();
}

double NetTime::TimeZoneBias() const
{
    return ::TimeZoneBias(m_services.zone);
}
