// NTP replies and NTS key-exchange records from any bytes. The first byte picks the part: odd, the
// key-exchange parser reads the rest (no crash; a response only with a cookie, and never more than
// the kept maximum); even, the rest is the reply datagram to every request of an NTP query on fake
// time, its origin set to the request's when the second byte says so (no crash, the socket layer
// released, and a time only from a reply that answers the request).
#include "fuzzcheck.h"
#include "support/fake_timesync.h"
#include "timesync/ntpclient.h"
#include "timesync/ntppacket.h"
#include "timesync/ntske.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::vector<std::uint8_t> rest(data + 2, data + size);
    if (data[0] & 1) {
        bool complete = false;
        std::string why;
        const auto response = ntske::ParseResponse(rest, complete, why);
        FUZZ_CHECK(!response || !complete || !response->cookies.empty());
        FUZZ_CHECK(!response || response->cookies.size() <= ntske::kMaxCookies);
        return 0;
    }
    TestClock clock;
    FakePump pump{clock};
    FakeTimeZone zone;
    ScriptedSocketLayer sockets{clock};
    WorldClock world{clock, 45413.5};
    const bool echoOrigin = data[1] & 1;
    sockets.datagramServer = [&](const std::vector<std::uint8_t>& sent) {
        std::vector<std::uint8_t> reply = rest;
        if (echoOrigin && reply.size() >= kNtpHeaderBytes)
            std::copy(sent.begin() + 40, sent.begin() + 48, reply.begin() + 24);
        return std::vector<TimedDatagram>{{data[1] >> 1, {reply, 0xC0000201, 123}}};
    };
    NetTime net{{sockets, clock, pump, zone}};
    NtpClient client(net, world);
    const NtpResult result = client.Query("192.0.2.1");
    FUZZ_CHECK(!net.SocketsStarted());
    FUZZ_CHECK(!result.best || (echoOrigin && rest.size() >= kNtpHeaderBytes));
    return 0;
}
