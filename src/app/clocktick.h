// The decisions of the half-second clock tick, apart from any window: when the next tick comes,
// whether the displayed second changed, which texts to show and whether the map is due for a redraw; whether the automatic clock
// update fires is the update policy's (timesync/updatepolicy.h). The main window carries them out;
// tests drive them with made-up times.
#pragma once

#include "platform/localeformats.h"
#include "timesync/updatepolicy.h"
#include "app/mainstate.h"

#include <string>

// What a tick in a new second shows.
struct TickTexts {
    std::string time;        // "hh:nn:ss"
    std::string date;        // the long date
    bool dateChanged = false; // the date differs from the one shown
    std::string title;       // time, two blanks, date: the taskbar text and tray tip
    int seconds = 0;         // the seconds of the time text
};

// The ticks keep their 500 ms period but come kTickLeadMs after each half second of the wall clock, so
// a new second is shown within a few milliseconds of its start rather than up to half a second late.
inline constexpr int kTickLeadMs = 2;
// Milliseconds from now (local time) to the next tick: past the next half second by kTickLeadMs,
// rounded up: more than kTickLeadMs, at most 500 + kTickLeadMs.
int MsToNextTick(TDateTime now);

// Takes now as TickTime. False when the displayed second is the one already shown: the tick then
// does nothing else. Otherwise records the new texts in state (before anything can run nested)
// and fills texts. The long date is formatted only when the day changes.
bool BeginTick(MainState& state, TDateTime now, const LocaleFormats& formats, TickTexts& texts);

// The map is due when more than 60.48 s passed since the last redraw, when the clock went back by
// more than that, or at second 0 when at least 0.864 s passed and the window is not hidden in the
// tray. When due, records TickTime as LastMapTime.
bool TakeMapRedraw(MainState& state, int seconds, bool hiddenInTray);
