// Asks a time server the way the program does, without ever setting the clock, and prints what each
// query measured: "offset_ms delay_ms" a line, or "refused: <reason as the log says it>". For the
// end-to-end tests against a real server. Exit status 0 when every query took a time.
// Usage: timeprobe ntp HOST PORT COUNT
//        timeprobe nts HOST KE_PORT NTP_PORT COUNT [TRUSTED_PEM]   (NTP_PORT replaces the one agreed)
#include "platform/localclock.h"
#include "platform/messagepump.h"
#include "platform/socketlayer.h"
#include "platform/tickcounter.h"
#include "platform/timezoneinfo.h"
#include "platform/ntssecurity.h"
#include "timesync/ntpclient.h"
#include "timesync/ntsclient.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool nts = mode == "nts";
    if (!(mode == "ntp" && argc == 5) && !(nts && (argc == 6 || argc == 7))) {
        std::fprintf(stderr, "usage: timeprobe ntp HOST PORT COUNT\n"
                             "       timeprobe nts HOST KE_PORT NTP_PORT COUNT [TRUSTED_PEM]\n");
        return 2;
    }
    const std::string host = argv[2];
    const std::string port = argv[3];
    const int count = std::atoi(argv[nts ? 5 : 4]);

    const auto sockets = MakeSystemSocketLayer();
    const auto ticks = MakeSystemTickCounter();
    const auto pump = MakeSystemMessagePump();
    const auto zone = MakeSystemTimeZoneSource();
    const auto clock = MakeSystemLocalClock();
    NetTime net{{*sockets, *ticks, *pump, *zone}};
    NtpClient ntp(net, *clock);
    const auto security = MakeSystemNtsSecurity();
    NtsClient ntsClient(net, ntp, security.get());
    if (nts) {
        ntsClient.SetKeyExchangePort(static_cast<std::uint16_t>(std::atoi(argv[3])));
        ntsClient.SetNtpPortOverride(static_cast<std::uint16_t>(std::atoi(argv[4])));
        if (argc == 7)
            ntsClient.SetTrustedCertificate(argv[6]);
    }

    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const NtpResult result = nts ? ntsClient.Query(host) : ntp.Query(host, port);
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
