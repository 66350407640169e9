#include "platform/clocksetter.h"

#include <windows.h>

namespace {

// SE_SYSTEMTIME_NAME, spelled out for the ANSI call whatever the character set of the build.
constexpr char kSystemTimePrivilege[] = "SeSystemtimePrivilege";

// The Windows NT family (platform id 2) guards the clock with a privilege.
bool IsNTFamily()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version; // 148 bytes
#ifdef _MSC_VER
#pragma warning(suppress : 4996) // deprecated, but it still tells the family
#endif
    GetVersionExA(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Enables the system-time privilege in the process token; it stays enabled afterwards. The
// adjustment succeeds also for a token that lacks the privilege, and then says so only through
// ERROR_NOT_ALL_ASSIGNED.
bool EnableSystemTimePrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!LookupPrivilegeValueA(nullptr, kSystemTimePrivilege, &privileges.Privileges[0].Luid)) {
        CloseHandle(token);
        return false;
    }
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    const BOOL adjusted = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    const DWORD outcome = GetLastError();
    CloseHandle(token);
    return adjusted != FALSE && outcome == ERROR_SUCCESS;
}

class Win32ClockSetter final : public ClockSetter {
public:
    bool SetSystemClock(TDateTime local) override
    {
        if (IsNTFamily() && !EnableSystemTimePrivilege())
            return false;
        const DateParts date = DecodeDate(local);
        const TimeParts time = DecodeTime(local);
        SYSTEMTIME record{}; // the day of the week is left for the system to work out
        record.wYear = static_cast<WORD>(date.year);
        record.wMonth = static_cast<WORD>(date.month);
        record.wDay = static_cast<WORD>(date.day);
        record.wHour = static_cast<WORD>(time.hour);
        record.wMinute = static_cast<WORD>(time.minute);
        record.wSecond = static_cast<WORD>(time.second);
        record.wMilliseconds = static_cast<WORD>(time.msec);
        // SetLocalTime converts with the offset in force before the change; across a daylight-saving
        // change-over the first call lands an hour off, and the second, with the new offset, is right.
        return SetLocalTime(&record) != FALSE && SetLocalTime(&record) != FALSE;
    }
};

} // namespace

std::unique_ptr<ClockSetter> MakeSystemClockSetter(MessagePump& /*pump*/)
{
    return std::make_unique<Win32ClockSetter>();
}
