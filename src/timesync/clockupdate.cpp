#include "timesync/clockupdate.h"

#include "app/appsettings.h"
#include "app/utils.h"
#include "platform/clocksetter.h"
#include "platform/localclock.h"
#include "platform/tickcounter.h"
#include "timesync/nettime.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr double kMSecsPerDayDouble = static_cast<double>(kMSecsPerDay);

struct Outcome {
    std::string message;
    TDateTime recorded; // the stamp of the log line and the "Last update"
    MessageIcon icon;
};

} // namespace

std::string CorrectionText(double seconds)
{
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed, 2);
    return std::string(text.data(), result.ptr);
}

ClockUpdater::ClockUpdater(Services services, Hooks hooks) : m_services(std::move(services)), m_hooks(std::move(hooks))
{
}

bool ClockUpdater::UpdateSystemClock(MainState& state, UpdateRequester requester)
{
    // The query handles window messages while it waits, so a click or a tick can ask again from
    // inside it; the query is not re-entrant, so such a request is refused.
    if (state.LastUpdate == state.TickTime || m_busy)
        return false;
    m_busy = true;
    state.LastUpdate = state.TickTime;
    if (m_hooks.busyCursor)
        m_hooks.busyCursor(true);

    const std::string server = state.TimeServer; // a copy: a nested settings dialog may change it
    TDateTime serverTime = m_services.net.NetworkTime(server, m_services.service);
    const TDateTime now = m_services.clock.Now();
    Outcome outcome{"Unable to access server " + server, now, MessageIcon::Exclamation};
    if (serverTime != 0.0) {
        // The reply is as old as the close and the stop that followed it: the server's time is
        // carried forward by that much, or the clock would be set at least 1.2 s slow.
        const std::int32_t sinceReply = ElapsedMs(m_services.net.ReplyTick(), m_services.ticks.Now());
        serverTime += std::max(0, sinceReply) / kMSecsPerDayDouble;
        if (m_services.setter.SetSystemClock(serverTime)) {
            const std::string correction = CorrectionText((serverTime - now) * kSecondsPerDay);
            outcome = {"Clock updated using " + server + "  (Correction: " + correction + " seconds)", serverTime,
                       MessageIcon::Information};
        } else {
            outcome = {"Unable to update system clock", now, MessageIcon::Exclamation};
        }
    }

    using namespace settings_file;
    WriteIniString(state.IniFileName, kClock, "Log",
                   FormatShortDateLongTime(outcome.recorded, m_services.formats) + "  " + outcome.message);
    WriteIniString(state.IniFileName, kClock, "Last update", DateTimeToSettingText(outcome.recorded));
    if (m_hooks.busyCursor)
        m_hooks.busyCursor(false);
    m_busy = false;
    if (requester == UpdateRequester::SetClockButton && m_hooks.report)
        m_hooks.report(outcome.message, outcome.icon);
    return true;
}
