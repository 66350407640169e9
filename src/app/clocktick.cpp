#include "app/clocktick.h"

#include <cmath>

namespace {

constexpr double kRedrawAfter = 0.0007;     // days: 60.48 s
constexpr double kMinuteStepMin = 0.00001;  // days: 0.864 s

constexpr double kUsPerDay = 86400e6;
constexpr long long kPeriodUs = 500000;

} // namespace

int MsToNextTick(TDateTime now)
{
    // In whole microseconds: a date-time carries the time of day to about a microsecond, and a
    // moment just short of a millisecond must not count as a millisecond more.
    const long long usOfDay = std::llround((now - std::floor(now)) * kUsPerDay);
    const long long usLeft = kPeriodUs - usOfDay % kPeriodUs;
    return static_cast<int>((usLeft + 999) / 1000) + kTickLeadMs;
}

bool BeginTick(MainState& state, TDateTime now, const LocaleFormats& formats, TickTexts& texts)
{
    state.TickTime = now;
    std::string time = FormatTimeHHNNSS(now);
    if (time == state.LastTimeText)
        return false;
    state.LastTimeText = time;
    texts.time = std::move(time);

    // Formatting the long date asks the locale; the day number says whether it can have changed.
    const double day = std::floor(now);
    texts.dateChanged = false;
    if (day != state.LastDateDay || state.LastDateText.empty()) {
        state.LastDateDay = day;
        std::string date = formats.LongDate(now);
        texts.dateChanged = date != state.LastDateText;
        state.LastDateText = std::move(date);
    }
    texts.date = state.LastDateText;

    texts.title = texts.time + "  " + texts.date;
    texts.seconds = (texts.time[6] - '0') * 10 + (texts.time[7] - '0');
    return true;
}

bool TakeMapRedraw(MainState& state, int seconds, bool hiddenInTray)
{
    const double elapsed = state.TickTime - state.LastMapTime;
    const bool due = elapsed > kRedrawAfter || elapsed < -kRedrawAfter ||
                     (elapsed > kMinuteStepMin && seconds == 0 && !hiddenInTray);
    if (due)
        state.LastMapTime = state.TickTime;
    return due;
}

