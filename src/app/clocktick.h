// The decisions of the half-second clock tick, apart from any window: whether the displayed second
// changed, which texts to show, whether the map is due for a redraw and whether the automatic clock
// update fires. The main window carries them out; tests drive them with made-up times.
#pragma once

#include "platform/localeformats.h"
#include "app/mainstate.h"

#include <functional>
#include <string>

// What a tick in a new second shows.
struct TickTexts {
    std::string time;        // "hh:nn:ss"
    std::string date;        // the long date
    bool dateChanged = false; // the date differs from the one shown
    std::string title;       // time, two blanks, date: the taskbar text and tray tip
    int seconds = 0;         // the seconds of the time text
};

// Takes now as TickTime. False when the displayed second is the one already shown: the tick then
// does nothing else. Otherwise records the new texts in state (before anything can run nested)
// and fills texts.
bool BeginTick(MainState& state, TDateTime now, const LocaleFormats& formats, TickTexts& texts);

// The map is due when more than 60.48 s passed since the last redraw, when the clock went back by
// more than that, or at second 0 when at least 0.864 s passed and the window is not hidden in the
// tray. When due, records TickTime as LastMapTime.
bool TakeMapRedraw(MainState& state, int seconds, bool hiddenInTray);

// The automatic clock update fires when the update type is above 1, more than 0.25 day passed since
// lastUpdate, the seconds read 30, and the type is 2 or a dial-up link is up. The dial-up test, the
// costly one, is asked last and only when everything else holds.
bool AutomaticUpdateDue(int updateType, TDateTime tickTime, TDateTime lastUpdate, int seconds,
                        const std::function<bool()>& isDialUpConnected);
