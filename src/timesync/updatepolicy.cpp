#include "timesync/updatepolicy.h"

namespace {

constexpr double kAutoUpdateEvery = 0.25; // days: six hours

} // namespace

bool AutomaticUpdateDue(UpdateTypeId type, TDateTime tickTime, TDateTime lastUpdate, int seconds,
                        const std::function<bool()>& isDialUpConnected)
{
    const UpdateTypeInfo info = UpdateTypeOf(type);
    if (!info.automatic)
        return false;
    if (!(tickTime - lastUpdate > kAutoUpdateEvery))
        return false;
    if (seconds != 30)
        return false;
    return !info.needsDialUp || (isDialUpConnected && isDialUpConnected());
}
