// The time query fed any byte stream through the scripted socket layer, on fake time: each pair of
// input bytes is a delay and a byte of the reply (a delay of 255 is the server closing). No crash,
// every start of the socket layer released, and a time only when four bytes came.
#include "fuzzcheck.h"
#include "support/fake_timesync.h"
#include "timesync/nettime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    TestClock clock;
    FakePump pump{clock};
    FakeTimeZone zone;
    ScriptedSocketLayer sockets{clock};
    sockets.servicesByPort[37] = 37;
    // The first byte picks a connect failure, a receive failure time and a zone bias.
    sockets.connectError = (data[0] & 3) == 3 ? 10061 : 0;
    if (data[0] & 4)
        sockets.failAtMs = (data[0] >> 3) * 400;
    zone.info.bias = static_cast<int>(data[0]) * 7 - 900;
    int at = 0;
    int bytes = 0;
    for (std::size_t i = 1; i + 1 < size; i += 2) {
        if (data[i] == 255) {
            sockets.reply.push_back({at, std::nullopt});
            break;
        }
        at += data[i] * 40;
        sockets.reply.push_back({at, data[i + 1]});
        ++bytes;
    }
    NetTime net{{sockets, clock, pump, zone}};
    const TDateTime result = net.NetworkTime("192.0.2.1");
    FUZZ_CHECK(!net.SocketsStarted());
    FUZZ_CHECK(result == 0.0 || bytes >= 4);
    return 0;
}
