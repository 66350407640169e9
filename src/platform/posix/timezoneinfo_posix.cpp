#include "platform/posix/timezoneinfo_posix.h"

#include <optional>

namespace {

constexpr int kStepDays = 14;
constexpr int kSteps = 27; // a little over a year either side

class PosixTimeZoneSource final : public TimeZoneSource {
public:
    TimeZoneInformation Query() const override { return PosixTimeZoneInformation(std::time(nullptr)); }
};

} // namespace

TimeZoneInformation PosixTimeZoneInformation(std::time_t at)
{
    // Picks up a TZ changed since the last call, as the platform's own zone query would.
    ::tzset();
    std::tm local{};
    if (!::localtime_r(&at, &local))
        return {};

    // Offsets east of UTC in seconds; the nearest moment of each kind of time gives its offset.
    std::optional<long> standard;
    std::optional<long> daylight;
    (local.tm_isdst > 0 ? daylight : standard) = local.tm_gmtoff;
    for (int step = 1; step <= kSteps && !(standard && daylight); ++step) {
        for (const int direction : {1, -1}) {
            const std::time_t other = at + static_cast<std::time_t>(direction) * step * kStepDays * 86400;
            std::tm then{};
            if (!::localtime_r(&other, &then))
                continue;
            auto& slot = then.tm_isdst > 0 ? daylight : standard;
            if (!slot)
                slot = then.tm_gmtoff;
        }
    }

    TimeZoneInformation info;
    if (!standard || !daylight) {
        info.bias = static_cast<int>(-local.tm_gmtoff / 60);
        return info;
    }
    info.state = local.tm_isdst > 0 ? TimeZoneState::Daylight : TimeZoneState::Standard;
    info.bias = static_cast<int>(-*standard / 60);
    info.daylightBias = static_cast<int>(-(*daylight - *standard) / 60);
    return info;
}

std::unique_ptr<TimeZoneSource> MakeSystemTimeZoneSource()
{
    return std::make_unique<PosixTimeZoneSource>();
}
