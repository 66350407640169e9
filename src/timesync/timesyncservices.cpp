#include "timesync/timesyncservices.h"

TimeSyncServices MakeSystemTimeSyncServices(std::unique_ptr<MessagePump> pump)
{
    TimeSyncServices services;
    services.pump = std::move(pump);
    services.ticks = MakeSystemTickCounter();
    services.sockets = MakeSystemSocketLayer();
    services.zone = MakeSystemTimeZoneSource();
    return services;
}
