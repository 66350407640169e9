// Platform service: the computer's time zone, as the base offset from UTC and the extra offsets of
// standard and daylight time, all in minutes with UTC = local time + bias (so zones east of
// Greenwich have negative biases), and which of the two is in force now.
#pragma once

#include <memory>

enum class TimeZoneState {
    Unknown,  // the zone has no daylight-saving rules, or they could not be read
    Standard, // standard time is in force
    Daylight, // daylight time is in force
};

struct TimeZoneInformation {
    TimeZoneState state = TimeZoneState::Unknown;
    int bias = 0;         // minutes, UTC = local standard time + bias (before StandardBias)
    int standardBias = 0; // minutes added to bias while standard time is in force
    int daylightBias = 0; // minutes added to bias while daylight time is in force (usually -60)
};

class TimeZoneSource {
public:
    virtual ~TimeZoneSource() = default;
    // The zone information as of now.
    virtual TimeZoneInformation Query() const = 0;
};

// The time zone this computer is set to.
std::unique_ptr<TimeZoneSource> MakeSystemTimeZoneSource();
