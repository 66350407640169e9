// Setting the computer's clock from the time server, and recording how it went. One attempt asks
// the server with the protocol chosen (the Time protocol's NetworkTime, NTP or NTS), sets the clock, and writes the outcome to the settings file as a log
// line and the time of the attempt; only a request from the "Set Clock" button is also reported to
// the user. The window supplies the wait cursor, the message box and where the query runs through
// Hooks.
//
// The query may run elsewhere (the program runs it on a worker thread so that the window goes on
// ticking) and its answer come back later: the time of the attempt is recorded when it begins, the
// clock is set and the outcome written when the answer comes, on the caller's thread. One attempt
// runs at a time: a second request in the same tick, or while an attempt is running, is refused.
#pragma once

#include "base/datetime.h"
#include "timesync/timequery.h"

#include <cstdint>
#include <functional>
#include <string>

class ClockSetter;
class LocalClock;
class NetTime;
class NtpClient;
class NtsClient;
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

// "%-5f" trimmed: fixed, two decimals, "." whatever the locale, "-" when negative ("-1.50"); a value
// that rounds to zero is "0.00", never "-0.00".
std::string CorrectionText(double seconds);

// How one attempt ended, with what its message names.
struct UpdateOutcome {
    enum class Result {
        ServerUnreachable, // no time came from the server
        ClockSet,          // the clock was set to the server's time
        ClockNotSet,       // the server answered but the clock could not be set
    };
    Result result = Result::ServerUnreachable;
    std::string server;     // as asked for
    QueryFailure failure = QueryFailure::NoAnswer; // with ServerUnreachable: why
    std::string detail;                            // ... and what QueryFailureText adds
    std::string correction; // CorrectionText of the change, when the clock was set
    TDateTime recorded = 0.0; // the stamp of the log line and the "Last update": the server's time
                              // when the clock was set, else the clock's

    MessageIcon Icon() const { return result == Result::ClockSet ? MessageIcon::Information : MessageIcon::Exclamation; }
};

// The outcome in English, as the log keeps it: "Unable to access server <server>" (followed by
// " (<reason>)" when a reply was refused, see QueryFailureText), "Clock updated using <server>
// (Correction: <correction> seconds)" or "Unable to update system clock".
std::string OutcomeMessage(const UpdateOutcome& outcome);

// Runs query and hands its answer to done, on the thread that called. The default runs it at once;
// the program runs it on a worker thread and calls done later from its event loop.
using QueryRunner =
    std::function<void(std::function<QueryAnswer()> query, std::function<void(const QueryAnswer&)> done)>;

// What one attempt needs to know of the window's state.
struct UpdateAsk {
    TDateTime tickTime = 0.0; // the tick that asks
    std::string server;       // host name or dotted IPv4 address
    UpdateRequester requester = UpdateRequester::Timer;
    TimeProtocol protocol = TimeProtocol::Time;
};

class ClockUpdater {
public:
    struct Services {
        NetTime& net;
        ClockSetter& setter;
        const LocalClock& clock;
        const TickCounter& ticks;
        std::string service = "37"; // the Time protocol's port
        NtpClient* ntp = nullptr;   // absent: NTP fails as unavailable
        NtsClient* nts = nullptr;   // absent (a build without NTS): NTS fails as unavailable
        std::string ntpService = "123";
    };
    struct Hooks {
        std::function<void(bool busy)> busyCursor;                                // hourglass on, then off
        std::function<void(const UpdateOutcome&)> report; // the message box, in the user's language
        QueryRunner runQuery;                             // absent: at once
        // Keeps the outcome: the program writes "Log" and "Last update" with it.
        std::function<void(const UpdateOutcome&)> recordOutcome;
    };

    ClockUpdater(Services services, Hooks hooks);

    // One update attempt. Refused (false, nothing done) when lastUpdate equals ask.tickTime (an
    // attempt began at this tick) or an attempt is still running; otherwise sets lastUpdate to
    // ask.tickTime, starts the query and answers true. The clock is set, the outcome written and
    // reported when the query's answer comes: before this returns with the default runner.
    bool UpdateSystemClock(const UpdateAsk& ask, TDateTime& lastUpdate);

    bool Busy() const { return m_busy; }

private:
    // The query of the protocol asked for, run wherever the runner runs it.
    static QueryAnswer Ask(Services& services, const UpdateAsk& ask);
    void Finish(const UpdateAsk& ask, const QueryAnswer& answer);

    Services m_services;
    Hooks m_hooks;
    bool m_busy = false;
};
