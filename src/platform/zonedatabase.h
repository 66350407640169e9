// Platform service: the system's time-zone database (IANA tzdata), asked for the offset from UTC of a
// zone by its name at a given moment. The Qt program answers through QTimeZone
// (platform/qt/qtzonedatabase.h); nothing here changes the process's own time zone.
#pragma once

#include "base/datetime.h"

#include <optional>
#include <string>

class ZoneDatabase {
public:
    virtual ~ZoneDatabase() = default;
    // The offset from UTC of zone (an IANA name such as "Europe/Kyiv") at utc (days since 30 December
    // 1899), seconds east positive, daylight saving included; nullopt when the system does not know it.
    virtual std::optional<int> UtcOffsetSeconds(const std::string& zone, TDateTime utc) const = 0;
};
