// The time query against a scriptable server on 127.0.0.1 (real sockets, fake time) and against a
// scripted socket layer where the exact timing is the point.
#include "support/fake_timesync.h"
#include "support/timeserver.h"
#include "timesync/nettime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

constexpr std::uint8_t kFiller = 0x55;
// 3 223 972 800 s after 1900: 1 March 2002 12:00:00 UTC, taken as the middle of that second.
const std::vector<std::uint8_t> kMarch2002{0xC0, 0x29, 0xEB, 0xC0};
constexpr TDateTime kMarch2002Utc = 37316.5 + 0.5 / kSecondsPerDay;
// The waits a query makes after the reply: the close, then two clean-up rounds of the stop.
constexpr int kAfterReplyMs = NetTime::kCloseWaitMs + 2 * NetTime::kStopRoundMs;

TimeZoneInformation Zone(TimeZoneState state, int bias, int daylightBias)
{
    TimeZoneInformation info;
    info.state = state;
    info.bias = bias;
    info.daylightBias = daylightBias;
    return info;
}

// Real sockets to a server on this machine; time stands still except where the query waits.
class QueryOnLoopback : public ::testing::Test {
protected:
    explicit QueryOnLoopback(double realScale = 0.0) : clock(1000, realScale) {}

    TDateTime Query(const std::string& host, const std::string& service) { return net.NetworkTime(host, service); }
    TDateTime Query(const ScriptedTimeServer& server) { return Query("127.0.0.1", server.Service()); }

    TestClock clock;
    FakePump pump{clock};
    FakeTimeZone zone;
    std::unique_ptr<SocketLayer> sockets = MakeSystemSocketLayer();
    NetTime net{{*sockets, clock, pump, zone}};
};

struct ReplyCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    TimeZoneInformation zone;
    TDateTime expected;
};

TEST_F(QueryOnLoopback, RepliesBecomeLocalDateTimes)
{
    std::vector<std::uint8_t> withTrailer = kMarch2002;
    withTrailer.insert(withTrailer.end(), 100, kFiller);
    const std::vector<ReplyCase> cases{
        {"UTC zone", kMarch2002, {}, kMarch2002Utc},
        // One hour east of UTC: local = UTC - bias.
        {"bias -60 minutes", kMarch2002, Zone(TimeZoneState::Unknown, -60, 0), kMarch2002Utc + 60.0 / 1440},
        {"daylight bias added while daylight time is in force", kMarch2002, Zone(TimeZoneState::Daylight, 0, -60),
         kMarch2002Utc + 60.0 / 1440},
        {"daylight bias ignored when the zone has no rules", kMarch2002, Zone(TimeZoneState::Unknown, 0, -60),
         kMarch2002Utc},
        {"standard time in New York", kMarch2002, Zone(TimeZoneState::Standard, 300, -60),
         kMarch2002Utc - 300.0 / 1440},
        // The count wraps in 2036: with the top bit set it runs from 1968, with it clear from 2036 on.
        {"top bit set: 1968", {0x80, 0, 0, 0}, {}, EncodeDate(1968, 1, 20) + EncodeTime(3, 14, 8, 500)},
        {"last second before the wrap", {0xFF, 0xFF, 0xFF, 0xFF}, {},
         EncodeDate(2036, 2, 7) + EncodeTime(6, 28, 15, 500)},
        {"zero seconds: the wrap itself", {0, 0, 0, 0}, {}, EncodeDate(2036, 2, 7) + EncodeTime(6, 28, 16, 500)},
        {"top bit clear: last second before 2104's wrap", {0x7F, 0xFF, 0xFF, 0xFF}, {},
         EncodeDate(2104, 2, 26) + EncodeTime(9, 42, 23, 500)},
        {"bytes after the first four are not the time", withTrailer, {}, kMarch2002Utc},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        zone.info = c.zone;
        ScriptedTimeServer server(PromptReply(c.bytes));
        const std::int32_t before = clock.Elapsed();
        EXPECT_NEAR(Query(server), c.expected, 1e-9);
        EXPECT_FALSE(net.TimedOut());
        EXPECT_FALSE(net.ReadFailed());
        EXPECT_FALSE(net.SocketsStarted());
        EXPECT_EQ(clock.Elapsed() - before, kAfterReplyMs);
        EXPECT_EQ(server.Connections(), 1);
    }
}

TEST_F(QueryOnLoopback, ServerClosingAfterThreeBytesFailsAtTheEndOfTheFourthTimeOut)
{
    ScriptedTimeServer server(PromptReply({0xC0, 0x29, 0xEB}));
    EXPECT_EQ(Query(server), 0.0);
    EXPECT_TRUE(net.TimedOut());
    EXPECT_EQ(clock.Elapsed(), NetTime::kByteTimeoutMs + kAfterReplyMs);
    // One round of messages covers the rest of the time-out: the closed connection is not polled
    // over and over. The others are the close and the two rounds of the stop.
    EXPECT_EQ(pump.rounds, 4);
}

TEST_F(QueryOnLoopback, RefusedConnectionFailsWithoutTimeOut)
{
    EXPECT_EQ(Query("127.0.0.1", std::to_string(UnusedPort())), 0.0);
    EXPECT_FALSE(net.TimedOut());
    EXPECT_FALSE(net.SocketsStarted());
    EXPECT_LE(clock.Elapsed(), kAfterReplyMs);
}

TEST_F(QueryOnLoopback, ServerThatNeverStopsSendingIsLeftAfterABoundedDrain)
{
    ScriptedTimeServer server({{ServerStep{0, kMarch2002}}, ServerEnd::Stream});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_DOUBLE_EQ(Query(server), kMarch2002Utc);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Real sockets, with time running twenty times faster than real time.
class QueryOnLoopbackFastClock : public QueryOnLoopback {
protected:
    QueryOnLoopbackFastClock() : QueryOnLoopback(20.0) {}
};

TEST_F(QueryOnLoopbackFastClock, SilentServerTimesOutOnTheFirstByte)
{
    ScriptedTimeServer server({{}, ServerEnd::KeepOpen});
    EXPECT_EQ(Query(server), 0.0);
    EXPECT_TRUE(net.TimedOut());
    EXPECT_GE(clock.Elapsed(), NetTime::kByteTimeoutMs + kAfterReplyMs);
}

TEST_F(QueryOnLoopbackFastClock, FourthByteAfterItsTimeOutFails)
{
    // 300 ms of real time are 6000 ms on this clock.
    ScriptedTimeServer server({{ServerStep{0, {0xC0, 0x29, 0xEB}}, ServerStep{300, {0xC0}}}, ServerEnd::Close});
    EXPECT_EQ(Query(server), 0.0);
    EXPECT_TRUE(net.TimedOut());
}

// The scripted socket layer: exact ticks, and the calls the query makes.
class QueryScripted : public ::testing::Test {
protected:
    explicit QueryScripted(std::uint32_t startTick = 1000) : clock(startTick) {}

    void ReplyAt(std::vector<int> times, const std::vector<std::uint8_t>& bytes = kMarch2002)
    {
        for (std::size_t i = 0; i < times.size(); ++i)
            sockets.reply.push_back({times[i], bytes[i]});
    }
    int ReceivesBeforeShutdown() const
    {
        int count = 0;
        for (const std::string& call : sockets.calls) {
            if (call == "Shutdown")
                break;
            count += call == "Receive";
        }
        return count;
    }

    TestClock clock;
    FakePump pump{clock};
    FakeTimeZone zone;
    ScriptedSocketLayer sockets{clock};
    NetTime net{{sockets, clock, pump, zone}};
};

TEST_F(QueryScripted, SuccessfulQueryMakesItsCallsInOrder)
{
    sockets.servicesByPort[37] = 37;
    ReplyAt({0, 0, 0, 0});
    EXPECT_DOUBLE_EQ(net.NetworkTime("192.0.2.7"), kMarch2002Utc);
    const std::vector<std::string> expected{"Startup",    "DottedAddress 192.0.2.7",
                                            "OpenStream", "ServiceByPort 37",
                                            "Connect",    "Receive",
                                            "Receive",    "Receive",
                                            "Receive",    "Shutdown",
                                            "Receive", // the drain finds nothing more
                                            "Close",      "CancelBlockingCall",
                                            "Cleanup",    "Cleanup"};
    EXPECT_EQ(sockets.calls, expected);
    EXPECT_EQ(sockets.connectedAddress, 0xC0000207u);
    EXPECT_EQ(sockets.connectedPort, 37);
}

TEST_F(QueryScripted, HostNamesAreLookedUpAndDottedHostsAreNot)
{
    sockets.hosts["time.example"] = 0xC0000208;
    ReplyAt({0, 0, 0, 0});
    EXPECT_DOUBLE_EQ(net.NetworkTime("time.example"), kMarch2002Utc);
    EXPECT_EQ(sockets.connectedAddress, 0xC0000208u);
    EXPECT_NE(std::find(sockets.calls.begin(), sockets.calls.end(), "LookupHost time.example"), sockets.calls.end());

    sockets.calls.clear();
    ReplyAt({0, 0, 0, 0});
    net.NetworkTime("127.0.0.1");
    for (const std::string& call : sockets.calls)
        EXPECT_EQ(call.rfind("LookupHost", 0), std::string::npos) << call;
    EXPECT_EQ(sockets.connectedAddress, kLoopback);
}

TEST_F(QueryScripted, UnresolvedHostStopsWithoutASocket)
{
    EXPECT_EQ(net.NetworkTime("nowhere.example"), 0.0);
    const std::vector<std::string> expected{
        "Startup", "DottedAddress nowhere.example", "LookupHost nowhere.example", "CancelBlockingCall", "Cleanup",
        "Cleanup"};
    EXPECT_EQ(sockets.calls, expected);
    EXPECT_EQ(clock.Elapsed(), 2 * NetTime::kStopRoundMs);
    EXPECT_FALSE(net.SocketsStarted());
}

TEST_F(QueryScripted, FailedStartReturnsAtOnce)
{
    sockets.startupResult = 10091; // the network subsystem is unavailable
    EXPECT_EQ(net.NetworkTime("127.0.0.1"), 0.0);
    EXPECT_EQ(sockets.calls, std::vector<std::string>{"Startup"});
    EXPECT_EQ(clock.Elapsed(), 0);
    EXPECT_EQ(pump.rounds + pump.singleRounds, 0);
}

TEST_F(QueryScripted, StopWhileNotStartedReturnsAtOnce)
{
    EXPECT_TRUE(net.StopSockets());
    EXPECT_TRUE(sockets.calls.empty());
    EXPECT_EQ(clock.Elapsed(), 0);
}

TEST_F(QueryScripted, StopKeepsTheStartWhenTheCleanUpFailsForAnotherReason)
{
    ASSERT_TRUE(net.StartSockets());
    sockets.cleanupFailure = 10036; // a blocking operation is in progress
    EXPECT_FALSE(net.StopSockets());
    EXPECT_TRUE(net.SocketsStarted());
    sockets.calls.clear();
    EXPECT_TRUE(net.StartSockets());
    EXPECT_TRUE(sockets.calls.empty()) << "the start still held is used again";
    sockets.cleanupFailure = 0;
    EXPECT_TRUE(net.StopSockets());
}

TEST_F(QueryScripted, ConnectStillUnderWayLetsTheReadsDecide)
{
    for (const int reason : {socket_error::kWouldBlock, socket_error::kInterrupted}) {
        SCOPED_TRACE(reason);
        sockets.connectError = reason;
        sockets.reply.clear();
        ReplyAt({5, 5, 5, 5});
        EXPECT_DOUBLE_EQ(net.NetworkTime("127.0.0.1"), kMarch2002Utc);
    }
}

TEST_F(QueryScripted, RefusedConnectReleasesTheSocketAndReadsNothing)
{
    sockets.connectError = socket_error::kRefused;
    EXPECT_EQ(net.NetworkTime("127.0.0.1"), 0.0);
    EXPECT_EQ(std::count(sockets.calls.begin(), sockets.calls.end(), "Receive"), 0);
    EXPECT_EQ(std::count(sockets.calls.begin(), sockets.calls.end(), "Close"), 1);
}

TEST_F(QueryScripted, ReceiveErrorEndsTheReads)
{
    ReplyAt({0});
    sockets.failAtMs = 0;
    EXPECT_EQ(net.NetworkTime("127.0.0.1"), 0.0);
    EXPECT_TRUE(net.ReadFailed());
    EXPECT_FALSE(net.TimedOut());
    EXPECT_EQ(ReceivesBeforeShutdown(), 1);
}

TEST_F(QueryScripted, ServiceTextsBecomePorts)
{
    sockets.servicesByPort[37] = 37;
    sockets.servicesByName["time"] = 37;
    struct ServiceCase {
        const char* service;
        std::optional<std::uint16_t> port;
    };
    const std::vector<ServiceCase> cases{
        {"37", 37},     // found in the services database by its number
        {"4000", 4000}, // not in the database: the number itself
        {"time", 37},   // a name, looked up for tcp
        {"nosuch", {}}, // an unknown name gives no connection
        {"70000", {}},  // no such port
        {"0", {}},      // not a positive number: looked up as a name, not found
    };
    for (const ServiceCase& c : cases) {
        SCOPED_TRACE(c.service);
        sockets.connectedPort = 0;
        const SocketHandle socket = net.OpenConnection("127.0.0.1", c.service);
        EXPECT_EQ(socket != kNoSocket, c.port.has_value());
        EXPECT_EQ(sockets.connectedPort, c.port.value_or(0));
    }
}

TEST_F(QueryScripted, ClosedConnectionWaitsOutTheTimeOutWithoutSpinning)
{
    ReplyAt({0, 0, 0});
    sockets.reply.push_back({0, std::nullopt});
    EXPECT_EQ(net.NetworkTime("127.0.0.1"), 0.0);
    EXPECT_TRUE(net.TimedOut());
    EXPECT_EQ(clock.Elapsed(), NetTime::kByteTimeoutMs + kAfterReplyMs);
    EXPECT_EQ(ReceivesBeforeShutdown(), 5); // three bytes, the close, and the one after the wait
}

TEST_F(QueryScripted, DrainAfterTheReplyIsBounded)
{
    ReplyAt({0, 0, 0, 0});
    sockets.reply.insert(sockets.reply.end(), 2 * NetTime::kDrainMaxBytes, Arrival{0, kFiller});
    EXPECT_DOUBLE_EQ(net.NetworkTime("127.0.0.1"), kMarch2002Utc);
    const auto shutdown = std::find(sockets.calls.begin(), sockets.calls.end(), "Shutdown");
    EXPECT_EQ(std::count(shutdown, sockets.calls.end(), "Receive"), NetTime::kDrainMaxBytes);
}

TEST_F(QueryScripted, SilentServerFailsOnTheFirstByte)
{
    EXPECT_EQ(net.NetworkTime("127.0.0.1"), 0.0);
    EXPECT_TRUE(net.TimedOut());
    EXPECT_EQ(clock.Elapsed(), NetTime::kByteTimeoutMs + kAfterReplyMs);
    // The wait was cut into slices with a round of messages between them: the window stays live.
    EXPECT_GE(pump.singleRounds, NetTime::kByteTimeoutMs / NetTime::kReceiveSliceMs - 1);
}

// The fourth byte's time-out, with the tick counter far from and just before its wrap.
class FourthByteDeadline : public QueryScripted, public ::testing::WithParamInterface<std::uint32_t> {
protected:
    FourthByteDeadline() : QueryScripted(GetParam()) {}
};

TEST_P(FourthByteDeadline, IsDecidedByTheClockAlone)
{
    struct DeadlineCase {
        int fourthAtMs;
        bool succeeds;
    };
    // The first three bytes come at once, so the fourth read begins at 0.
    for (const DeadlineCase c : {DeadlineCase{3999, true}, {4000, false}, {4500, false}}) {
        SCOPED_TRACE(c.fourthAtMs);
        ReplyAt({0, 0, 0, c.fourthAtMs});
        const TDateTime result = net.NetworkTime("127.0.0.1");
        EXPECT_EQ(result != 0.0, c.succeeds);
        EXPECT_EQ(net.TimedOut(), !c.succeeds);
        sockets.reply.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(Ticks, FourthByteDeadline, ::testing::Values(1000u, 0xFFFFF000u));

TEST_F(QueryScripted, ReplyTickIsWhenTheLastByteCame)
{
    ReplyAt({10, 20, 30, 40});
    const std::uint32_t connected = clock.Now();
    ASSERT_NE(net.NetworkTime("127.0.0.1"), 0.0);
    EXPECT_EQ(net.ReplyTick(), connected + 40);
}

TEST(WaitWithMessages, HandlesMessagesAtLeastOnceAndWaitsItsTime)
{
    for (const std::uint32_t start : {1000u, 0xFFFFFF00u}) {
        for (const int ms : {0, 1, 250, 1000}) {
            SCOPED_TRACE(testing::Message() << "start " << start << ", " << ms << " ms");
            TestClock clock(start);
            FakePump pump(clock);
            WaitWithMessages(clock, pump, ms);
            EXPECT_GE(pump.rounds, 1);
            EXPECT_EQ(clock.Elapsed(), ms);
        }
    }
}

TEST(TimeZoneBias, AddsTheBiasOfTheTimeInForce)
{
    struct BiasCase {
        TimeZoneInformation info;
        double minutes;
    };
    TimeZoneInformation standard{TimeZoneState::Standard, 300, 15, -60};
    TimeZoneInformation daylight = standard;
    daylight.state = TimeZoneState::Daylight;
    TimeZoneInformation unknown = standard;
    unknown.state = TimeZoneState::Unknown;
    for (const BiasCase& c : {BiasCase{standard, 315}, {daylight, 240}, {unknown, 300}}) {
        SCOPED_TRACE(c.minutes);
        EXPECT_DOUBLE_EQ(TimeZoneBias(FakeTimeZone(c.info)), c.minutes / 1440);
    }
}

} // namespace
