#include "timesync/timesyncservices.h"

namespace {

class RefusingClockSetter final : public ClockSetter {
public:
    bool SetSystemClock(TDateTime /*local*/) override { return false; }
};

} // namespace

std::unique_ptr<ClockSetter> MakeRefusingClockSetter()
{
    return std::make_unique<RefusingClockSetter>();
}

void CompleteTimeSyncServices(TimeSyncServices& services)
{
    const auto fill = [](auto& service, auto make) {
        if (!service)
            service = make();
    };
    fill(services.pump, MakeSystemMessagePump);
    fill(services.ticks, MakeSystemTickCounter);
    fill(services.sockets, MakeSystemSocketLayer);
    fill(services.zone, MakeSystemTimeZoneSource);
    fill(services.setter, MakeRefusingClockSetter);
    fill(services.dialUp, MakeSystemDialUpStatus);
    fill(services.nts, MakeSystemNtsSecurity);
}
