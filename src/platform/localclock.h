// Platform service: the computer's clock, read as local date-time.
#pragma once

#include "base/datetime.h"

#include <memory>

// The current local date and time.
class LocalClock {
public:
    virtual ~LocalClock() = default;
    // Days since 30 December 1899, local time.
    virtual TDateTime Now() const = 0;
};

// The clock of this computer, in local time (days since 30 December 1899).
std::unique_ptr<LocalClock> MakeSystemLocalClock();
