// Platform service: sets the computer's clock. Setting it needs a privilege the program may not
// hold; the platform asks for it the way its desktop does, and answers false when the clock was
// left as it was.
#pragma once

#include "base/datetime.h"

#include <memory>

class MessagePump;

class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    // Sets the clock to a local date-time (days since 30 December 1899); true when it was set.
    virtual bool SetSystemClock(TDateTime local) = 0;
};

// This computer's clock. pump keeps the window live while the platform asks the user for leave,
// and must outlive the setter.
std::unique_ptr<ClockSetter> MakeSystemClockSetter(MessagePump& pump);
