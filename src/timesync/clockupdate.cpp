#include "timesync/clockupdate.h"

#include "platform/clocksetter.h"
#include "platform/localclock.h"
#include "platform/tickcounter.h"
#include "timesync/nettime.h"
#include "timesync/ntpclient.h"
#include "timesync/ntsclient.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr double kMSecsPerDayDouble = static_cast<double>(kMSecsPerDay);

} // namespace

std::string CorrectionText(double seconds)
{
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), seconds, std::chars_format::fixed, 2);
    std::string shown(text.data(), result.ptr);
    // A correction that rounds to nothing is none, whichever side of the second it fell on.
    return shown == "-0.00" ? "0.00" : shown;
}

std::string OutcomeMessage(const UpdateOutcome& outcome)
{
    switch (outcome.result) {
    case UpdateOutcome::Result::ClockSet:
        return "Clock updated using " + outcome.server + "  (Correction: " + outcome.correction + " seconds)";
    case UpdateOutcome::Result::ClockNotSet:
        return "Unable to update system clock";
    case UpdateOutcome::Result::ServerUnreachable:
        break;
    }
    const std::string reason = QueryFailureText(outcome.failure, outcome.detail);
    return "Unable to access server " + outcome.server + (reason.empty() ? "" : " (" + reason + ")");
}

QueryAnswer ClockUpdater::Ask(Services& services, const UpdateAsk& ask)
{
    QueryAnswer answer;
    switch (ask.protocol) {
    case TimeProtocol::Time:
        answer.serverTime = services.net.NetworkTime(ask.server, services.service);
        answer.replyTick = services.net.ReplyTick();
        answer.failure = answer.serverTime == 0.0 ? QueryFailure::NoAnswer : QueryFailure::None;
        return answer;
    case TimeProtocol::Ntp:
        if (services.ntp)
            return AnswerOf(services.ntp->Query(ask.server, services.ntpService));
        break;
    case TimeProtocol::Nts:
        if (services.nts)
            return AnswerOf(services.nts->Query(ask.server));
        break;
    }
    answer.failure = QueryFailure::Unavailable;
    return answer;
}

ClockUpdater::ClockUpdater(Services services, Hooks hooks) : m_services(std::move(services)), m_hooks(std::move(hooks))
{
}

bool ClockUpdater::UpdateSystemClock(const UpdateAsk& ask, TDateTime& lastUpdate)
{
    // The query is not re-entrant, and its answer may come many ticks later: while it runs, every
    // other request is refused.
    if (lastUpdate == ask.tickTime || m_busy)
        return false;
    m_busy = true;
    lastUpdate = ask.tickTime;
    if (m_hooks.busyCursor)
        m_hooks.busyCursor(true);

    auto query = [services = m_services, ask]() mutable { return Ask(services, ask); };
    auto done = [this, ask](const QueryAnswer& answer) { Finish(ask, answer); };
    if (m_hooks.runQuery)
        m_hooks.runQuery(std::move(query), std::move(done));
    else
        done(query());
    return true;
}

void ClockUpdater::Finish(const UpdateAsk& ask, const QueryAnswer& answer)
{
    const TDateTime now = m_services.clock.Now();
    using Result = UpdateOutcome::Result;
    UpdateOutcome outcome{Result::ServerUnreachable, ask.server, answer.failure, answer.detail, {}, now};
    if (answer.failure == QueryFailure::None && answer.serverTime != 0.0) {
        // The reply is as old as the close and the stop that followed it, and the hand-back: the
        // server's time is carried forward by that much, or the clock would be set at least 1.2 s slow.
        const std::int32_t sinceReply = ElapsedMs(answer.replyTick, m_services.ticks.Now());
        const TDateTime serverTime = answer.serverTime + std::max(0, sinceReply) / kMSecsPerDayDouble;
        if (m_services.setter.SetSystemClock(serverTime)) {
            outcome.result = Result::ClockSet;
            outcome.correction = CorrectionText((serverTime - now) * kSecondsPerDay);
            outcome.recorded = serverTime;
        } else {
            outcome.result = Result::ClockNotSet;
        }
    }

    if (m_hooks.recordOutcome)
        m_hooks.recordOutcome(outcome);
    if (m_hooks.busyCursor)
        m_hooks.busyCursor(false);
    m_busy = false;
    if (ask.requester == UpdateRequester::SetClockButton && m_hooks.report)
        m_hooks.report(outcome);
}
