// The system's time-zone database through QTimeZone. Each zone is built the first time it is asked
// for and kept, so a map frame only looks offsets up. For the user-interface thread (or one thread).
#pragma once

#include "platform/zonedatabase.h"

#include <QTimeZone>
#include <map>

class QtZoneDatabase final : public ZoneDatabase {
public:
    std::optional<int> UtcOffsetSeconds(const std::string& zone, TDateTime utc) const override;

private:
    mutable std::map<std::string, QTimeZone, std::less<>> m_zones; // invalid ones too, so they are not rebuilt
};
