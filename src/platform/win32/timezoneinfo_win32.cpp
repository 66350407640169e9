#include "platform/timezoneinfo.h"

#include <windows.h>

namespace {

class Win32TimeZoneSource final : public TimeZoneSource {
public:
    TimeZoneInformation Query() const override
    {
        TIME_ZONE_INFORMATION zone{};
        const DWORD id = GetTimeZoneInformation(&zone);
        TimeZoneInformation info;
        info.bias = zone.Bias;
        info.standardBias = zone.StandardBias;
        info.daylightBias = zone.DaylightBias;
        if (id == TIME_ZONE_ID_STANDARD)
            info.state = TimeZoneState::Standard;
        else if (id == TIME_ZONE_ID_DAYLIGHT)
            info.state = TimeZoneState::Daylight;
        return info;
    }
};

} // namespace

std::unique_ptr<TimeZoneSource> MakeSystemTimeZoneSource()
{
    return std::make_unique<Win32TimeZoneSource>();
}
