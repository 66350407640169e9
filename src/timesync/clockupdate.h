// Setting the computer's clock from the time server, and recording how it went. One attempt asks
// the server (NetworkTime), sets the clock, and writes the outcome to the settings file as a log
// line and the time of the attempt; only a request from the "Set Clock" button is also reported to
// the user. The window supplies the wait cursor and the message box through Hooks.
//
// An attempt handles window messages while it waits, so ticks and clicks run nested inside it: a
// second request in the same tick, or while an attempt is running, is refused.
#pragma once

#include "base/datetime.h"
#include "platform/localeformats.h"
#include "app/mainstate.h"

#include <functional>
#include <string>

class ClockSetter;
class LocalClock;
class NetTime;
class TickCounter;

// Who asked for the update.
enum class UpdateRequester {
    SetClockButton, // ibSetClock: the outcome is shown in a message box
    SyncMenu,       // miSync: logged only
    Timer,          // the automatic update of the clock tick: logged only
};

// The icon of the message box, with the values of the platform's message-box flags.
enum class MessageIcon {
    Exclamation = 0x30,
    Information = 0x40,
};

// "%-5f" trimmed: fixed, two decimals, "." whatever the locale, "-" when negative ("-1.50").
std::string CorrectionText(double seconds);

class ClockUpdater {
public:
    struct Services {
        NetTime& net;
        ClockSetter& setter;
        const LocalClock& clock;
        const LocaleFormats& formats;
        const TickCounter& ticks;
        std::string service = "37"; // the Time protocol's port
    };
    struct Hooks {
        std::function<void(bool busy)> busyCursor;                                // hourglass on, then off
        std::function<void(const std::string& message, MessageIcon icon)> report; // the message box
    };

    ClockUpdater(Services services, Hooks hooks);

    // One update attempt for state.TimeServer, writing "Clock" / "Log" and "Last update" to
    // state.IniFileName. Refused (false, nothing done) when an attempt already began at this
    // TickTime or is still running; otherwise sets state.LastUpdate to TickTime first, and true.
    bool UpdateSystemClock(MainState& state, UpdateRequester requester);

    bool Busy() const { return m_busy; }

private:
    Services m_services;
    Hooks m_hooks;
    bool m_busy = false;
};
