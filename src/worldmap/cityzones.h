// The zone of the system's time-zone database (IANA tzdata) that keeps each built-in city's clocks, by
// the city's table name. Current zone names are used (Europe/Kyiv, not its older spelling).
#pragma once

#include <string_view>

// The zone of the city whose table name (columns 1–32, trimmed) is key; empty for a name the program
// does not know, such as a row of the user's own "cities.dat".
std::string_view CityZoneOf(std::string_view key);
