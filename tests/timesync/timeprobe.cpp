// Asks a time server the way the program does, without ever setting the clock, and prints what each
// query measured: "offset_ms delay_ms" a line, or "refused: <reason as the log says it>". For the
// end-to-end tests against a real server. Exit status 0 when every query took a time.
// Usage: timeprobe ntp HOST PORT COUNT
#include "platform/localclock.h"
#include "platform/messagepump.h"
#include "platform/socketlayer.h"
#include "platform/tickcounter.h"
#include "platform/timezoneinfo.h"
#include "timesync/ntpclient.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 5 || std::string(argv[1]) != "ntp") {
        std::fprintf(stderr, "usage: timeprobe ntp HOST PORT COUNT\n");
        return 2;
    }
    const std::string host = argv[2];
    const std::string port = argv[3];
    const int count = std::atoi(argv[4]);

    const auto sockets = MakeSystemSocketLayer();
    const auto ticks = MakeSystemTickCounter();
    const auto pump = MakeSystemMessagePump();
    const auto zone = MakeSystemTimeZoneSource();
    const auto clock = MakeSystemLocalClock();
    NetTime net{{*sockets, *ticks, *pump, *zone}};
    NtpClient ntp(net, *clock);

    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const NtpResult result = ntp.Query(host, port);
        if (result.best) {
            std::printf("%.3f %.3f\n", result.best->offsetSeconds * 1000, result.best->delaySeconds * 1000);
        } else {
            ++failures;
            const QueryFailure failure = result.failure == QueryFailure::None ? QueryFailure::NoAnswer : result.failure;
            const std::string reason = QueryFailureText(failure, result.detail);
            std::printf("refused: %s\n", reason.empty() ? "no answer" : reason.c_str());
        }
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
