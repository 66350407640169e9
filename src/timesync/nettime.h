// The network time query: asks a time server for the time over the Time protocol (TCP; the server
// sends four bytes, the seconds since 1 January 1900 00:00 UTC, most significant first, and the
// client sends nothing) and returns it as a local date-time. Around it, the small services the
// query is made of: the start and stop of the socket layer, connecting, reading one byte with a
// time-out, an orderly close, a pause that keeps the window live, and the time-zone bias.
//
// One NetTime lives in the program, used by one thread at a time. The program runs its queries on
// a worker thread, where the waits simply sleep; run on the user-interface thread with a pump that
// handles window messages, ticks and clicks run nested inside a query. It is not re-entrant, and
// callers must not begin a second query inside a running one.
#pragma once

#include "base/datetime.h"
#include "platform/socketlayer.h"

#include <cstdint>
#include <optional>
#include <string>

class MessagePump;
class TickCounter;
class TimeZoneSource;

// UTC = local time + bias; the bias of the zone as now in force, in days.
double TimeZoneBias(const TimeZoneSource& zone);

// The UTC date-time a Time-protocol answer stands for (days since 30 December 1899). The count of
// seconds since 1900 wraps on 7 February 2036 06:28:16: a count with its top bit set is read as
// 1968-2036, one with it clear as 2036-2104, whatever the computer's own clock says. The count
// holds whole seconds, so the answer is taken as the middle of its second.
TDateTime TimeProtocolUtc(std::uint32_t seconds);

// Pauses for ms milliseconds by the tick counter while window messages go on being handled
// (at least once, also for 0 ms). Returns no earlier than ms after it began.
void WaitWithMessages(const TickCounter& ticks, MessagePump& pump, int ms);

// The platform services a query goes through; all outlive the NetTime.
struct NetTimeServices {
    SocketLayer& sockets;
    const TickCounter& ticks;
    MessagePump& pump;
    const TimeZoneSource& zone;
};

class NetTime {
public:
    static constexpr int kByteTimeoutMs = 4000;  // per byte of the reply
    static constexpr int kCloseWaitMs = 1000;    // after the shutdown, before the drain
    static constexpr int kStopRoundMs = 100;     // before each clean-up of the socket layer
    static constexpr int kDrainMaxBytes = 65536; // the drain reads no more than this ...
    static constexpr int kDrainMaxMs = 500;      // ... and for no longer than this
    static constexpr int kReceiveSliceMs = 50;   // longest receive wait between message rounds
    static constexpr TDateTime kTimeEpoch = 2.0; // 1 January 1900 00:00

    explicit NetTime(NetTimeServices services);
    // Releases the socket layer if a start is still held.
    ~NetTime();
    NetTime(const NetTime&) = delete;
    NetTime& operator=(const NetTime&) = delete;

    // The whole query: the server's time as a local date-time (days since 30 December 1899), or
    // 0.0 when none was obtained. server: host name or dotted IPv4 address; service: port number
    // or services-database name (the program always asks "37").
    TDateTime NetworkTime(const std::string& server, const std::string& service = "37");

    // Starts the socket layer unless this module already holds a start; true when it is available.
    bool StartSockets();
    // Releases the socket layer (100 ms rounds until the layer reports itself not initialised);
    // true when it is stopped. Returns at once when no start is held.
    bool StopSockets();
    // Resolves host (dotted address used as is, else a name lookup) and service (port number, or a
    // name looked up for "tcp") and connects; the socket, or kNoSocket.
    SocketHandle OpenConnection(const std::string& host, const std::string& service);
    // Reads one byte, giving up timeoutMs milliseconds after the call began; sets TimedOut (the
    // time-out has passed by the tick counter, whether or not a byte came) and ReadFailed (the
    // receive reported an error). The byte is meaningless unless both are false.
    std::uint8_t ReadByteWithTimeout(SocketHandle socket, int timeoutMs);
    // Shuts the connection down, waits 1000 ms, drains what the server still sent (bounded) and
    // closes the socket.
    void CloseConnection(SocketHandle socket);
    // WaitWithMessages with this module's tick counter and pump.
    void WaitWithMessages(int ms);
    // Handles the pending window messages once, without waiting.
    void HandleOneMessage();
    // TimeZoneBias of this module's zone, days.
    double TimeZoneBias() const;

    // The address of a host: a dotted IPv4 address as it is, else the first one of a name lookup.
    std::optional<std::uint32_t> ResolveAddress(const std::string& host);
    // The port of a service text: a port number (checked against the services database), or a
    // name looked up for protocol ("tcp" or "udp").
    std::optional<std::uint16_t> ResolvePort(const std::string& service, const std::string& protocol = "tcp");

    // The services, for the other queries that share this module's start of the socket layer.
    SocketLayer& Sockets() { return m_services.sockets; }
    const TickCounter& Ticks() const { return m_services.ticks; }

    bool SocketsStarted() const { return m_socketsStarted; }
    bool TimedOut() const { return m_timedOut; }
    bool ReadFailed() const { return m_readFailed; }
    // Tick count (ms) when the last byte of the latest successful reply arrived.
    std::uint32_t ReplyTick() const { return m_replyTick; }

private:
    ReceiveResult ReceiveWithin(SocketHandle socket, std::uint8_t& byte, std::uint32_t start, int timeoutMs);

    NetTimeServices m_services;
    bool m_socketsStarted = false;
    bool m_timedOut = false;
    bool m_readFailed = false;
    std::uint32_t m_byteTick = 0;
    std::uint32_t m_replyTick = 0;
};
