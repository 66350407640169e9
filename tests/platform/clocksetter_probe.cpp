// Runs this computer's clock setter in a process that may not set the clock itself, for the
// setter's tests, which start it as an unprivileged user. It asks for the time it already is, so
// even a request that got through would not move the clock.
// Exit status: 0 the setter answered false, 1 it answered true, 3 refused: this process holds
// CAP_SYS_TIME and could really set the clock.
#include "platform/clocksetter.h"
#include "platform/localclock.h"
#include "platform/messagepump.h"
#include "platform/posix/clocksetter_posix.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Asked of the kernel directly, not through the code under test.
bool MaySetClock()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return true; // unknown: assume the worst
    return (data[CAP_SYS_TIME / 32].effective >> (CAP_SYS_TIME % 32)) & 1;
}

} // namespace

// An argument names the busctl to run instead of the system's.
int main(int argc, char** argv)
{
    if (MaySetClock())
        return 3;
    const auto pump = MakeSystemMessagePump();
    const auto setter = argc > 1 ? MakePosixClockSetter(*pump, argv[1]) : MakeSystemClockSetter(*pump);
    return setter->SetSystemClock(MakeSystemLocalClock()->Now()) ? 1 : 0;
}
