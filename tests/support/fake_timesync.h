// Fakes of the platform services behind the time query and the clock update: a tick counter that
// stands still until a test (or a fake wait) moves it, a local clock that moves with it, a message
// pump that lets fake time pass instead of sleeping, a fixed time zone, a socket layer that plays a
// scripted reply against the fake clock, a clock setter that only records, and dial-up links.
#pragma once

#include "base/datetime.h"
#include "platform/localclock.h"
#include "platform/clocksetter.h"
#include "platform/dialupstatus.h"
#include "platform/messagepump.h"
#include "platform/socketlayer.h"
#include "platform/tickcounter.h"
#include "platform/timezoneinfo.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Ticks that move only by Advance, or also with real time times realScale. A test stalled on a
// clock that stands still would hang; past kWatchdogMs of real time the clock starts to run, so
// such a test fails instead.
class TestClock final : public TickCounter {
public:
    static constexpr long long kWatchdogMs = 20000;

    explicit TestClock(std::uint32_t start = 1000, double realScale = 0.0);
    std::uint32_t Now() const override;
    void Advance(int ms) { m_offset += static_cast<std::uint32_t>(ms); }
    // Milliseconds since the clock was made, as it reads now.
    std::int32_t Elapsed() const { return ElapsedMs(m_start, Now()); }

private:
    std::uint32_t m_start;
    std::uint32_t m_offset;
    double m_realScale;
    std::chrono::steady_clock::time_point m_made = std::chrono::steady_clock::now();
};

// Local time that moves with a TestClock: base at the clock's start.
class WorldClock final : public LocalClock {
public:
    WorldClock(const TestClock& ticks, TDateTime base) : m_ticks(ticks), m_base(base) {}
    TDateTime Now() const override { return m_base + m_ticks.Elapsed() / static_cast<double>(kMSecsPerDay); }

private:
    const TestClock& m_ticks;
    TDateTime m_base;
};

// Records every time it is asked to set and answers as told; never touches the real clock.
class RecordingClockSetter final : public ClockSetter {
public:
    bool SetSystemClock(TDateTime local) override
    {
        requests.push_back(local);
        return answer;
    }
    bool answer = true;
    std::vector<TDateTime> requests;
};

class FakeDialUpStatus final : public DialUpStatus {
public:
    std::vector<DialUpLink> Links() const override { return links; }
    std::vector<DialUpLink> links;
};

// A pump whose waits let fake time pass at once. onMessages, when set, runs in every round, as a
// nested timer tick or click would.
class FakePump final : public MessagePump {
public:
    explicit FakePump(TestClock& clock) : m_clock(clock) {}
    void HandleMessages(int waitMs) override;
    void HandleOneMessage() override;

    std::function<void()> onMessages;
    int rounds = 0;       // HandleMessages calls
    int singleRounds = 0; // HandleOneMessage calls
    long long waitedMs = 0;

private:
    TestClock& m_clock;
};

class FakeTimeZone final : public TimeZoneSource {
public:
    explicit FakeTimeZone(TimeZoneInformation info = {}) : info(info) {}
    TimeZoneInformation Query() const override { return info; }
    TimeZoneInformation info;
};

// One event of a scripted reply, at a time after the connect.
struct Arrival {
    int atMs = 0;
    std::optional<std::uint8_t> byte; // none: the server closes its side
};

// A datagram that arrives afterMs after the request that caused it was sent.
struct TimedDatagram {
    int afterMs = 0;
    Datagram datagram;
};

// A socket layer that keeps the counted start of the real one and plays one connection's reply on
// the fake clock; datagrams sent are answered by datagramServer, also on the fake clock. Every call is logged by name for tests of the order of calls.
class ScriptedSocketLayer final : public SocketLayer {
public:
    explicit ScriptedSocketLayer(TestClock& clock) : m_clock(clock) {}

    int startupResult = 0;
    int cleanupFailure = 0; // a reason other than not-initialised that every clean-up fails with
    std::map<std::string, std::uint32_t> hosts;
    std::map<std::uint16_t, std::uint16_t> servicesByPort;
    std::map<std::string, std::uint16_t> servicesByName;
    int connectError = 0; // the reason a connect fails with; 0 connects
    std::vector<Arrival> reply;
    std::optional<int> failAtMs; // the receive reports an error from this time on

    // Answers each datagram sent (to address:port) with the datagrams that come back, and when.
    std::function<std::vector<TimedDatagram>(const std::vector<std::uint8_t>& sent)> datagramServer;
    std::vector<std::vector<std::uint8_t>> sentDatagrams;

    std::vector<std::string> calls;
    std::uint16_t connectedPort = 0;
    std::uint32_t connectedAddress = 0;

    int Startup(std::uint16_t version) override;
    int Cleanup() override;
    int LastError() const override { return m_lastError; }
    void CancelBlockingCall() override { calls.push_back("CancelBlockingCall"); }
    std::optional<std::uint32_t> DottedAddress(const std::string& text) override;
    std::optional<std::uint32_t> LookupHost(const std::string& name) override;
    std::optional<std::uint16_t> ServiceByPort(std::uint16_t port) override;
    std::optional<std::uint16_t> ServiceByName(const std::string& name, const std::string& protocol) override;
    SocketHandle OpenStream() override;
    int Connect(SocketHandle socket, std::uint32_t address, std::uint16_t port) override;
    ReceiveResult Receive(SocketHandle socket, std::uint8_t& byte, int waitMs) override;
    void Shutdown(SocketHandle) override { calls.push_back("Shutdown"); }
    void Close(SocketHandle) override { calls.push_back("Close"); }
    SocketHandle OpenDatagram() override;
    int SendTo(SocketHandle socket, std::uint32_t address, std::uint16_t port,
               const std::vector<std::uint8_t>& bytes) override;
    ReceiveResult ReceiveFrom(SocketHandle socket, Datagram& datagram, int waitMs) override;

private:
    struct Pending {
        std::uint32_t dueTick;
        Datagram datagram;
    };
    std::vector<Pending> m_pending;
    TestClock& m_clock;
    int m_starts = 0;
    int m_lastError = 0;
    std::uint32_t m_connectTick = 0;
    std::size_t m_next = 0;
};

// 127.0.0.1 as the socket layer numbers it.
constexpr std::uint32_t kLoopback = 0x7F000001;
