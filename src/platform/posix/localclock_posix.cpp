#include "platform/localclock.h"

#include <ctime>

namespace {

class PosixLocalClock final : public LocalClock {
public:
    TDateTime Now() const override
    {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        tm local{};
        ::localtime_r(&now.tv_sec, &local);
        // The part below the millisecond is kept too: NTP measures offsets finer than that.
        const double belowMs = static_cast<double>(now.tv_nsec % 1000000) / 1e9 / kSecondsPerDay;
        return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
               EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1000000)) +
               belowMs;
    }
};

} // namespace

std::unique_ptr<LocalClock> MakeSystemLocalClock()
{
    return std::make_unique<PosixLocalClock>();
}
