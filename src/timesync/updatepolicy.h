// The update policy: the four update types a user chooses from ("Update type" in the settings), in
// one table, and the rule by which the clock tick starts an automatic clock update.
//
// A stored number outside 0..3 is kept as it is: below 0 it acts as a manual type, above 3 as the
// dial-up type.
#pragma once

#include "base/datetime.h"
#include "base/numberedtable.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

enum class UpdateTypeId : int {
    Never = 0,         // the clock is never set from the time server
    Manually = 1,      // only when the user asks
    Automatically = 2, // also every six hours, at a tick whose seconds read 30
    WhileDialUp = 3,   // as Automatically, but only while a dial-up link is connected
};

struct UpdateTypeInfo {
    UpdateTypeId id;
    bool setClockButton; // the main window shows its "Set Clock" button
    bool automatic;      // the clock tick starts updates by itself
    bool needsDialUp;    // ... and only while a dial-up link is connected
};

inline constexpr std::array<UpdateTypeInfo, 4> kUpdateTypes{{
    {UpdateTypeId::Never, false, false, false},
    {UpdateTypeId::Manually, true, false, false},
    {UpdateTypeId::Automatically, true, true, false},
    {UpdateTypeId::WhileDialUp, true, true, true},
}};

static_assert(RowsInNumberOrder(kUpdateTypes));

// The row of a type, or nullopt for a number outside 0..3.
constexpr std::optional<UpdateTypeInfo> FindUpdateType(UpdateTypeId type)
{
    return FindNumberedRow(kUpdateTypes, type);
}

// The row of any update type number (see above for numbers outside the table).
constexpr UpdateTypeInfo UpdateTypeOf(UpdateTypeId type)
{
    if (const auto info = FindUpdateType(type))
        return *info;
    if (static_cast<int>(type) < 0)
        return {type, true, false, false};
    return {type, true, true, true};
}

// The automatic clock update fires when the type is automatic, more than 0.25 day passed since
// lastUpdate, the seconds read 30, and the type needs no dial-up link or one is connected. The
// dial-up test, the costly one, is asked last and only when everything else holds.
bool AutomaticUpdateDue(UpdateTypeId type, TDateTime tickTime, TDateTime lastUpdate, int seconds,
                        const std::function<bool()>& isDialUpConnected);
