// The city table, the cities chosen for the map and their local times.
//
// The table is a list of fixed-column text rows, one city per row, columns numbered from 1:
//     1–33  table name: the city, a comma, a blank and its country or state ("Amsterdam, Netherlands")
//     34–38 standard offset from UTC in hours, one decimal ("+1.0", "-3.5", "+10.0")
//     40–43 longitude in whole degrees, east positive
//     48–50 latitude in whole degrees, north positive
//     56–57 daylight-saving rule code (see ApplyDaylightSaving)
//     58–   a comment that nothing reads
// Numbers are right-aligned in their columns and read by position only. The program carries a
// built-in table; a file "cities.dat" beside the program replaces it at start.
//
// A row that does not convert (too short, a number column holding something else, a value outside
// the Earth or outside ±14 hours, an empty name) is not a city: it is never matched and never offered
// for choice, and a search goes on past it.
//
// A city's local time is UTC plus its standard offset, plus one hour while its rule is in force.
#pragma once

#include "platform/localeformats.h"
#include "platform/zonedatabase.h"
#include "components/Stringhl.h"
#include "worldmap/mapcity.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kCityFileName = "cities.dat";
// A larger "cities.dat" is not a city table (the built-in one is about 10 KB).
constexpr std::size_t kMaxCityFileBytes = 256 * 1024;

// One table row, converted.
struct CityRow {
    std::string Key;        // columns 1–32 trimmed: the name the settings store and match
    double OffsetHours = 0; // standard offset from UTC, hours
    int Longitude = 0;      // degrees, EAST positive, as the table holds it
    int Latitude = 0;       // degrees, north positive
    int DstRule = 0;        // rule code; codes outside 0..11 mean no daylight saving
};

// Columns 1–32 of the row with surrounding blanks and control characters removed.
std::string CityRowKey(std::string_view row);
// Columns 1–31 of the row, trimmed alike: the name offered for choice and stored in the settings.
std::string CityChoiceName(std::string_view row);
// The converted row, or nullopt when the row is not a city.
std::optional<CityRow> ParseCityRow(std::string_view row);

// The program's own table: 124 rows.
TStrings BuiltInCityRows();
// The rows of the city table file at path, or nullopt (keep the table in use) when the file is
// absent, not a regular file, larger than kMaxCityFileBytes, holds a NUL byte or holds no city row.
std::optional<TStrings> ReadCityFile(const std::string& path);

// The names offered for choice: CityChoiceName of every city row, in table order.
TStrings CityChoiceNames(const TStrings& table);
// The last city row whose key equals name exactly (letter case counts). A row whose name fills all
// 32 columns also answers to its 31-column choice name, the form the settings store.
std::optional<CityRow> FindCityRow(const TStrings& table, std::string_view name);
// The map slot of a row: Name the key before its first comma (empty without one), longitude
// negated to west positive, offset in days, Zone the zone the program knows for the key (CityZoneOf).
TMapCity MapCityOf(const CityRow& row);
// The slots of the named cities, in order (the names a view's section lists, read by the settings
// unit). Names past kMaxMapCities are left out, so the last slot stays empty. A name that matches no
// row leaves its slot empty.
TMapCities MapCitiesOf(const TStrings& names, const TStrings& table);

// The local time under daylight-saving rule `rule` of a city whose standard local time (UTC plus its
// standard offset, days since 30 December 1899) is standardTime: standardTime, or standardTime plus
// one hour while the rule is in force. The rule changes over at 02:00 standard time on its dates:
//     1  last Sun of Mar – last Sun of Oct           2  first Sun of Apr – last Sun of Oct
//     4  first Fri of Apr – first Fri of Sep         5  last Fri of Apr – last Thu of Sep
//     6  1 Apr – 1 Oct                               7  first Sun of Oct – first Sun on/after 5 Mar
//     8  first Sun of Oct – last Sun of Feb          9  last Sun of Oct – last Sun of Mar
//     10 first Sun on/after 9 Oct – first Sun on/after 9 Mar
//     11 first Sun on/after 8 Sep – first Sun on/after 6 Apr
// (1–6 northern: in force between the dates; 7–11 southern: in force from the first date to the end
// of the year and from the start of the year to the second.) 0, 3 and any other code: never.
TDateTime ApplyDaylightSaving(unsigned rule, TDateTime standardTime);
// The city's local time at utc (days since 30 December 1899); in the program utc is the tick's local
// time plus the platform's time-zone bias. With zones, a city whose zone they know takes its offset from
// them; without, or for a city of no known zone, the table's offset and rule give it.
TDateTime CityLocalTime(const TMapCity& city, TDateTime utc, const ZoneDatabase* zones = nullptr);
// The zone database a city's time is taken from: database in the time-zone mode, and in either mode for a
// city whose ZoneTime is set (an added city); otherwise none, and the table's offset and rule serve.
const ZoneDatabase* CityZonesFor(const TMapCity& city, const ZoneDatabase* database, bool timeZoneMode);
// The map label's time of the city at utc: the user's short time format ("t").
std::string CityTimeText(const TMapCity& city, TDateTime utc, const LocaleFormats& formats,
                         const ZoneDatabase* zones = nullptr);
