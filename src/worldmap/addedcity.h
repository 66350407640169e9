// Cities added from the world's cities (platform/worldcities.h) beside the table's rows. An added
// city is stored by the name the city lists hold ("Tromsø, Norway") with its place and its zone, and
// shown on the map at its place with its zone's time, whichever way the table's cities take theirs.
#pragma once

#include "components/Stringhl.h"
#include "platform/worldcities.h"
#include "platform/zonedatabase.h"
#include "worldmap/mapcity.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The longest name a city list gives back whole ("City n" is read with buffer 64), bytes of UTF-8.
inline constexpr std::size_t kMaxAddedCityName = 63;

struct AddedCity {
    std::string Name;     // the name the lists store: "city, country" or "city, region, country"
    double Latitude = 0;  // degrees, north positive
    double Longitude = 0; // degrees, EAST positive
    std::string Zone;     // the zone in the system's time-zone database

    bool operator==(const AddedCity&) const = default;
};

// The added city of a world city: its name "city, country", or "city, region, country" where the
// database names a region, cut to kMaxAddedCityName bytes at a whole character. nullopt for a city
// whose name could not be stored as a settings key (empty, a '=', a control character, or a leading
// ';' or '[') or whose place is outside the Earth.
std::optional<AddedCity> AddedCityOf(const WorldCity& city);

// The stored value of an added city: latitude, longitude and zone, separated by blanks, the numbers
// with "." whatever the locale ("69.666667 18.916667 Europe/Oslo").
std::string AddedCityText(const AddedCity& city);
// The added city named name whose stored value is text, or nullopt when text is no such value (a
// number missing or outside the Earth, no zone, anything after it).
std::optional<AddedCity> ParseAddedCity(const std::string& name, std::string_view text);

// The map slot of an added city: Name the part before its first comma, the place rounded to whole
// degrees (west positive, as the slots hold it), its zone with ZoneTime set.
TMapCity MapCityOf(const AddedCity& city);

// The added city stored under a name, or nullopt.
using AddedCityReader = std::function<std::optional<AddedCity>(const std::string& name)>;

// The slots of the named cities. A name a table row answers to takes that row, as MapCitiesOf does;
// any other name the added city read for it. An added city whose zone zones does not know (or any,
// without zones) is passed to skipped and left out, the names after it moving up a slot. A name
// neither knows leaves its slot empty. At most kMaxMapCities slots are filled.
TMapCities MapCitiesOf(const TStrings& names, const TStrings& table, const AddedCityReader& added,
                       const ZoneDatabase* zones, const std::function<void(const AddedCity&)>& skipped);
