// The NTP client against a scripted server on fake time: the offset and delay it measures, across
// an era boundary, the reply it keeps, and every reply it must refuse.
#include "support/fake_timesync.h"
#include "timesync/clockupdate.h"
#include "timesync/ntpclient.h"
#include "timesync/ntppacket.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr std::uint32_t kServer = 0xC0000201; // 192.0.2.1
constexpr std::uint16_t kPort = 123;
// 1 May 2024 12:00, and 7 February 2036 06:28:15, the last second of NTP era 0.
constexpr TDateTime kMay2024 = 45413.5;
constexpr TDateTime kEraEnd = 49711.0 + (6 * 3600 + 28 * 60 + 15) / kSecondsPerDay;

// A server whose clock is offsetSeconds ahead of the client's: each request reaches it after
// outMs[i] (the last entry repeats) and its reply comes back backMs later. tamper may change the
// reply before it leaves.
struct ScriptedNtpServer {
    const WorldClock& clientClock;
    double offsetSeconds = 0.0;
    std::vector<int> outMs{10};
    int backMs = 10;
    std::function<void(NtpHeader&, Datagram&)> tamper{};
    int requests = 0;

    std::vector<TimedDatagram> operator()(const std::vector<std::uint8_t>& sent)
    {
        const NtpHeader request = *DecodeNtpHeader(sent);
        const int out = outMs[std::min<std::size_t>(static_cast<std::size_t>(requests), outMs.size() - 1)];
        ++requests;
        const TDateTime serverNow = clientClock.Now() + (offsetSeconds + out / 1000.0) / kSecondsPerDay;
        NtpHeader reply;
        reply.mode = ntp_mode::kServer;
        reply.stratum = 1;
        reply.origin = request.transmit;
        reply.receive = NtpTimeOfUtc(serverNow);
        reply.transmit = NtpTimeOfUtc(serverNow + 0.001 / kSecondsPerDay);
        Datagram datagram{{}, kServer, kPort};
        if (tamper)
            tamper(reply, datagram);
        if (datagram.bytes.empty())
            datagram.bytes = EncodeNtpHeader(reply);
        return {{out + 1 + backMs, datagram}};
    }
};

class NtpClientTest : public ::testing::Test {
protected:
    explicit NtpClientTest(TDateTime start = kMay2024) : world(ticks, start) {}

    NtpResult Query()
    {
        sockets.datagramServer = std::ref(server);
        return client.Query("192.0.2.1");
    }

    TestClock ticks;
    FakePump pump{ticks};
    FakeTimeZone zone; // UTC
    ScriptedSocketLayer sockets{ticks};
    NetTime net{{sockets, ticks, pump, zone}};
    WorldClock world;
    NtpClient client{net, world};
    ScriptedNtpServer server{world};
};

TEST_F(NtpClientTest, MeasuresOffsetAndDelayAcrossTheEraBoundary)
{
    for (const TDateTime start : {kMay2024, kEraEnd}) {
        for (const double offset : {1.5, -0.25, -2.0}) {
            WorldClock clock(ticks, start - ticks.Elapsed() / static_cast<double>(kMSecsPerDay));
            NtpClient atDate(net, clock);
            ScriptedNtpServer atServer{clock, offset};
            sockets.datagramServer = std::ref(atServer);
            const NtpResult result = atDate.Query("192.0.2.1");
            ASSERT_TRUE(result.best) << start << " " << offset;
            EXPECT_NEAR(result.best->offsetSeconds, offset, 0.0015) << start;
            EXPECT_NEAR(result.best->delaySeconds, 0.020, 0.0015) << start;
            EXPECT_EQ(result.samples, NtpClient::kSamples);
            EXPECT_FALSE(net.SocketsStarted());
        }
    }
}

TEST_F(NtpClientTest, KeepsTheLowestDelayReplyAndSetsTheClockFromItsTime)
{
    // A slow outward path makes the offset look larger by half the asymmetry: only the quick
    // exchange shows the true +1 s.
    server.offsetSeconds = 1.0;
    server.outMs = {400, 10, 300, 200};
    const NtpResult result = Query();
    ASSERT_TRUE(result.best);
    EXPECT_NEAR(result.best->offsetSeconds, 1.0, 0.002);
    const QueryAnswer answer = AnswerOf(result);
    EXPECT_EQ(answer.failure, QueryFailure::None);
    EXPECT_NEAR((answer.serverTime - result.best->localAtReply) * kSecondsPerDay, 1.0, 0.002);
}

TEST_F(NtpClientTest, RefusesRepliesThatAreNotAnswersFromASynchronisedServer)
{
    struct Case {
        const char* name;
        std::function<void(NtpHeader&, Datagram&)> tamper{};
        QueryFailure failure;
        int requests; // a final refusal ends the query at once
    };
    const Case cases[] = {
        {"forged origin", [](NtpHeader& h, Datagram&) { h.origin ^= 1; }, QueryFailure::WrongOrigin, 4},
        {"other port", [](NtpHeader&, Datagram& d) { d.port = 1123; }, QueryFailure::WrongSender, 4},
        {"other address", [](NtpHeader&, Datagram& d) { d.address = kLoopback; }, QueryFailure::WrongSender, 4},
        {"truncated",
         [](NtpHeader& h, Datagram& d) {
             d.bytes = EncodeNtpHeader(h);
             d.bytes.resize(47);
         },
         QueryFailure::Malformed, 4},
        {"client mode", [](NtpHeader& h, Datagram&) { h.mode = ntp_mode::kClient; }, QueryFailure::NotAReply, 4},
        {"unsynchronised", [](NtpHeader& h, Datagram&) { h.leap = 3; }, QueryFailure::Unsynchronised, 1},
        {"stratum 16", [](NtpHeader& h, Datagram&) { h.stratum = 16; }, QueryFailure::Unsynchronised, 1},
        {"kiss-o'-death",
         [](NtpHeader& h, Datagram&) {
             h.stratum = 0;
             h.referenceId = {'R', 'A', 'T', 'E'};
         },
         QueryFailure::KissOfDeath, 1},
    };
    for (const Case& c : cases) {
        server.tamper = c.tamper;
        server.requests = 0;
        const QueryAnswer answer = AnswerOf(Query());
        EXPECT_EQ(answer.failure, c.failure) << c.name;
        EXPECT_EQ(answer.serverTime, 0.0) << c.name;
        EXPECT_EQ(server.requests, c.requests) << c.name;
    }
    EXPECT_EQ(QueryFailureText(QueryFailure::KissOfDeath, "RATE"), "kiss-o'-death RATE");
}

TEST_F(NtpClientTest, AForgedReplyBeforeTheServersDoesNotEndTheWait)
{
    sockets.datagramServer = [this](const std::vector<std::uint8_t>& sent) {
        std::vector<TimedDatagram> replies = server(sent);
        NtpHeader forged = *DecodeNtpHeader(replies.front().datagram.bytes);
        forged.origin += 1;
        replies.push_back({1, {EncodeNtpHeader(forged), kServer, kPort}});
        return replies;
    };
    const NtpResult result = client.Query("192.0.2.1");
    EXPECT_EQ(result.samples, NtpClient::kSamples);
    EXPECT_EQ(result.failure, QueryFailure::None);
}

TEST_F(NtpClientTest, ASilentServerCostsTheBoundedWaitsAndSaysNoAnswer)
{
    const NtpResult result = client.Query("192.0.2.1");
    EXPECT_FALSE(result.best);
    EXPECT_EQ(AnswerOf(result).failure, QueryFailure::NoAnswer);
    EXPECT_EQ(sockets.sentDatagrams.size(), static_cast<std::size_t>(NtpClient::kSamples));
    EXPECT_GE(ticks.Elapsed(), NtpClient::kSamples * NtpClient::kReplyTimeoutMs);
    EXPECT_LT(ticks.Elapsed(), NtpClient::kSamples * NtpClient::kReplyTimeoutMs + 1000);
}

// The clock update takes NTP's answer like the Time protocol's: the clock set with the sub-second
// offset, or the refusal named in the outcome.
TEST_F(NtpClientTest, TheClockUpdateSetsTheSubSecondOffsetOrNamesTheRefusal)
{
    RecordingClockSetter setter;
    std::vector<UpdateOutcome> outcomes;
    ClockUpdater::Hooks hooks;
    hooks.recordOutcome = [&outcomes](const UpdateOutcome& outcome) { outcomes.push_back(outcome); };
    ClockUpdater::Services services{net, setter, world, ticks};
    services.ntp = &client;
    ClockUpdater updater(services, hooks);
    sockets.datagramServer = std::ref(server);
    server.offsetSeconds = 0.375;
    TDateTime lastUpdate = 0.0;
    ASSERT_TRUE(updater.UpdateSystemClock({1.0, "192.0.2.1", UpdateRequester::Timer, TimeProtocol::Ntp}, lastUpdate));
    ASSERT_EQ(setter.requests.size(), 1u);
    EXPECT_NEAR((setter.requests[0] - world.Now()) * kSecondsPerDay, 0.375, 0.002);
    EXPECT_EQ(outcomes.back().correction, "0.38");

    server.tamper = [](NtpHeader& h, Datagram&) {
        h.stratum = 0;
        h.referenceId = {'D', 'E', 'N', 'Y'};
    };
    ASSERT_TRUE(updater.UpdateSystemClock({2.0, "192.0.2.1", UpdateRequester::Timer, TimeProtocol::Ntp}, lastUpdate));
    EXPECT_EQ(setter.requests.size(), 1u);
    EXPECT_EQ(OutcomeMessage(outcomes.back()), "Unable to access server 192.0.2.1 (kiss-o'-death DENY)");
    ASSERT_TRUE(updater.UpdateSystemClock({3.0, "192.0.2.1", UpdateRequester::Timer, TimeProtocol::Nts}, lastUpdate));
    EXPECT_EQ(OutcomeMessage(outcomes.back()), "Unable to access server 192.0.2.1 (NTS not available in this build)");
}

} // namespace
