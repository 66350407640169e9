// The platform services of time synchronisation, owned together by the program and handed to the
// main window: the message pump that keeps the window live in waits, the tick counter, the socket
// layer and the time zone.
#pragma once

#include "platform/messagepump.h"
#include "platform/socketlayer.h"
#include "platform/tickcounter.h"
#include "platform/timezoneinfo.h"

#include <memory>

struct TimeSyncServices {
    std::unique_ptr<MessagePump> pump;
    std::unique_ptr<TickCounter> ticks;
    std::unique_ptr<SocketLayer> sockets;
    std::unique_ptr<TimeZoneSource> zone;
};

// This computer's services, waiting with the given pump (the program's event loop).
TimeSyncServices MakeSystemTimeSyncServices(std::unique_ptr<MessagePump> pump);
