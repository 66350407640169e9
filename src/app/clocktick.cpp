#include "app/clocktick.h"

namespace {

constexpr double kRedrawAfter = 0.0007;     // days: 60.48 s
constexpr double kMinuteStepMin = 0.00001;  // days: 0.864 s

} // namespace

bool BeginTick(MainState& state, TDateTime now, const LocaleFormats& formats, TickTexts& texts)
{
    state.TickTime = now;
    std::string time = FormatTimeHHNNSS(now);
    if (time == state.LastTimeText)
        return false;
    state.LastTimeText = time;
    texts.time = std::move(time);

    texts.date = formats.LongDate(now);
    texts.dateChanged = texts.date != state.LastDateText;
    if (texts.dateChanged)
        state.LastDateText = texts.date;

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

