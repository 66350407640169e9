#include "platform/localclock.h"

#include <windows.h>

namespace {

class Win32LocalClock final : public LocalClock {
public:
    TDateTime Now() const override
    {
        SYSTEMTIME local{};
        GetLocalTime(&local);
        return EncodeDate(local.wYear, local.wMonth, local.wDay) +
               EncodeTime(local.wHour, local.wMinute, local.wSecond, local.wMilliseconds);
    }
};

} // namespace

std::unique_ptr<LocalClock> MakeSystemLocalClock()
{
    return std::make_unique<Win32LocalClock>();
}
