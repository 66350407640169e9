// Platform service: the computer's clock, read as local date-time.
#pragma once

#include "app/datetime.h"

#include <memory>

// The clock of this computer, in local time (days since 30 December 1899).
std::unique_ptr<LocalClock> MakeSystemLocalClock();
