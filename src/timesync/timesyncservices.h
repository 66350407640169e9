// The platform services of time synchronisation, owned together by the program and handed to the
// main window: the message pump that keeps the window live in waits, the tick counter, the socket
// layer, the time zone, the clock setter, the dial-up status and NTS's cryptography.
#pragma once

#include "platform/clocksetter.h"
#include "platform/dialupstatus.h"
#include "platform/messagepump.h"
#include "platform/ntssecurity.h"
#include "platform/socketlayer.h"
#include "platform/tickcounter.h"
#include "platform/timezoneinfo.h"

#include <memory>

struct TimeSyncServices {
    std::unique_ptr<MessagePump> pump; // declared first: the clock setter may wait with it
    std::unique_ptr<TickCounter> ticks;
    std::unique_ptr<SocketLayer> sockets;
    std::unique_ptr<TimeZoneSource> zone;
    std::unique_ptr<ClockSetter> setter;
    std::unique_ptr<DialUpStatus> dialUp;
    std::unique_ptr<NtsSecurity> nts; // stays null where the platform has no NTS
};

// Gives every service still missing this computer's, except two: a missing pump becomes the
// platform's own queue, and a missing clock setter one that never sets the clock, so that only a
// program that asks for the real setter can change the clock.
void CompleteTimeSyncServices(TimeSyncServices& services);

// A clock setter that leaves the clock alone and answers false.
std::unique_ptr<ClockSetter> MakeRefusingClockSetter();
