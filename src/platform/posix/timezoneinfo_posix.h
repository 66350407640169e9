// The time-zone information of the C library's zone data (the TZ variable or the system's zone),
// as of a given moment. Standard and daylight offsets are found by looking up to a year either side
// of the moment; a zone with no daylight time in that span reports no rules (Unknown).
#pragma once

#include "platform/timezoneinfo.h"

#include <ctime>

// The zone information in force at the moment at (seconds since 1970 UTC).
TimeZoneInformation PosixTimeZoneInformation(std::time_t at);
