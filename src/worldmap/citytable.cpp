#include "worldmap/citytable.h"

#include "base/text.h"
#include "platform/filestore.h"
#include "worldmap/cityzones.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

extern const unsigned char kBuiltInCityTable[];
extern const std::size_t kBuiltInCityTable_size;

namespace {

constexpr std::size_t kKeyColumns = 32;
constexpr std::size_t kChoiceColumns = 31;
constexpr double kMaxOffsetHours = 14.0;
constexpr double kHour = 1.0 / 24.0;
constexpr double kChangeOver = 2.0 / 24.0;

// Blanks and control characters (tabs, a stray CR) pad names and numbers.
std::string_view Trim(std::string_view text)
{
    return ::Trim(text, IsBlankOrControl);
}

// Columns first..last (from 1) of the row, as far as the row reaches, trimmed.
std::string_view Columns(std::string_view row, std::size_t first, std::size_t last)
{
    if (row.size() < first)
        return {};
    return Trim(row.substr(first - 1, last - first + 1));
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Removes a leading "+" or "-"; true for "-".
bool TakeSign(std::string_view& text)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    return negative;
}

// An optional sign and decimal digits only.
bool ParseInteger(std::string_view text, int& value)
{
    const bool negative = TakeSign(text);
    if (text.empty() || !IsDigit(text.front()))
        return false;
    int magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc{} || end != text.data() + text.size())
        return false;
    value = negative ? -magnitude : magnitude;
    return true;
}

// An optional sign and a decimal number with "." as separator, whatever the user's locale.
bool ParseHours(std::string_view text, double& value)
{
    const bool negative = TakeSign(text);
    double magnitude = 0;
    if (text.empty() || !(IsDigit(text.front()) || text.front() == '.') ||
        !TryParseDecimal(std::string(text), magnitude))
        return false;
    value = negative ? -magnitude : magnitude;
    return true;
}

bool RowAnswersTo(std::string_view row, std::string_view name)
{
    // A name that reaches column 32 is offered and stored cut to 31 columns; without the second test
    // such a city could be chosen but would never be found again. Shorter names read alike both ways.
    return CityRowKey(row) == name || CityChoiceName(row) == name;
}

// Weekdays as DayOfWeek counts them; kAnyDay takes the first day scanned.
enum Weekday { kAnyDay = 0, kSunday = 1, kThursday = 5, kFriday = 6 };
constexpr int kLastOfMonth = 0;

// A change-over date within a year: the first day, scanning from day `day` of `month` upward (or
// from the month's last day downward for kLastOfMonth), whose weekday is `weekday`.
struct ChangeDate {
    int month;
    int day;
    int weekday;
};

enum class Hemisphere { None, Northern, Southern };

struct RuleDates {
    Hemisphere hemisphere;
    ChangeDate start; // the extra hour begins
    ChangeDate end;   // the extra hour ends
};

constexpr std::array<RuleDates, 12> kRules{{
    {Hemisphere::None, {}, {}},
    {Hemisphere::Northern, {3, kLastOfMonth, kSunday}, {10, kLastOfMonth, kSunday}},
    {Hemisphere::Northern, {4, 1, kSunday}, {10, kLastOfMonth, kSunday}},
    {Hemisphere::None, {}, {}},
    {Hemisphere::Northern, {4, 1, kFriday}, {9, 1, kFriday}},
    {Hemisphere::Northern, {4, kLastOfMonth, kFriday}, {9, kLastOfMonth, kThursday}},
    {Hemisphere::Northern, {4, 1, kAnyDay}, {10, 1, kAnyDay}},
    {Hemisphere::Southern, {10, 1, kSunday}, {3, 5, kSunday}},
    {Hemisphere::Southern, {10, 1, kSunday}, {2, kLastOfMonth, kSunday}},
    {Hemisphere::Southern, {10, kLastOfMonth, kSunday}, {3, kLastOfMonth, kSunday}},
    {Hemisphere::Southern, {10, 9, kSunday}, {3, 9, kSunday}},
    {Hemisphere::Southern, {9, 8, kSunday}, {4, 6, kSunday}},
}};

std::int64_t ToMilliseconds(TDateTime value)
{
    return std::llround(value * static_cast<double>(kMSecsPerDay));
}

bool Matches(TDateTime date, int weekday)
{
    return weekday == kAnyDay || DayOfWeek(date) == weekday;
}

// 02:00 standard time on the change-over date in year.
TDateTime ChangeOverMoment(int year, const ChangeDate& when)
{
    const int lastDay = DaysInMonth(year, when.month);
    const bool downward = when.day == kLastOfMonth;
    int day = downward ? lastDay : when.day;
    const int step = downward ? -1 : 1;
    while (!Matches(EncodeDate(year, when.month, day), when.weekday) && day + step >= 1 && day + step <= lastDay)
        day += step;
    return EncodeDate(year, when.month, day) + kChangeOver;
}

} // namespace

std::string CityRowKey(std::string_view row)
{
    return std::string(Trim(row.substr(0, std::min(row.size(), kKeyColumns))));
}

std::string CityChoiceName(std::string_view row)
{
    return std::string(Trim(row.substr(0, std::min(row.size(), kChoiceColumns))));
}

std::optional<CityRow> ParseCityRow(std::string_view row)
{
    CityRow city;
    city.Key = CityRowKey(row);
    if (city.Key.empty())
        return std::nullopt;
    if (!ParseHours(Columns(row, 34, 38), city.OffsetHours) || !ParseInteger(Columns(row, 40, 43), city.Longitude) ||
        !ParseInteger(Columns(row, 48, 50), city.Latitude) || !ParseInteger(Columns(row, 56, 57), city.DstRule))
        return std::nullopt;
    if (std::abs(city.OffsetHours) > kMaxOffsetHours || std::abs(city.Longitude) > 180 || std::abs(city.Latitude) > 90)
        return std::nullopt;
    return city;
}

TStrings BuiltInCityRows()
{
    return SplitLines({reinterpret_cast<const char*>(kBuiltInCityTable), kBuiltInCityTable_size});
}

std::optional<TStrings> ReadCityFile(const std::string& path)
{
    const FileRead file = ReadSmallFile(path, kMaxCityFileBytes);
    if (file.state != FileReadState::Read || file.bytes.find('\0') != std::string::npos)
        return std::nullopt;
    std::string_view content = file.bytes;
    content.remove_prefix(ByteOrderMarkLength(content));
    TStrings rows = SplitLines(content);
    if (std::none_of(rows.begin(), rows.end(), [](const std::string& row) { return ParseCityRow(row).has_value(); }))
        return std::nullopt;
    return rows;
}

TStrings CityChoiceNames(const TStrings& table)
{
    TStrings names;
    for (const std::string& row : table)
        if (ParseCityRow(row))
            names.push_back(CityChoiceName(row));
    return names;
}

std::optional<CityRow> FindCityRow(const TStrings& table, std::string_view name)
{
    // Backwards, so that of two rows with one name the later wins.
    for (auto row = table.rbegin(); row != table.rend(); ++row)
        if (RowAnswersTo(*row, name))
            if (auto city = ParseCityRow(*row))
                return city;
    return std::nullopt;
}

TMapCity MapCityOf(const CityRow& row)
{
    TMapCity city;
    const std::size_t comma = row.Key.find(',');
    if (comma != std::string::npos)
        city.Name = row.Key.substr(0, std::min<std::size_t>(comma, kKeyColumns));
    city.Latitude = row.Latitude;
    city.Longitude = -row.Longitude;
    city.UtcOffset = row.OffsetHours * kHour;
    city.DstRule = row.DstRule;
    city.Zone = CityZoneOf(row.Key);
    return city;
}

TMapCities MapCitiesOf(const TStrings& names, const TStrings& table)
{
    TMapCities cities{};
    const std::size_t count = std::min(names.size(), static_cast<std::size_t>(kMaxMapCities));
    for (std::size_t n = 0; n < count; ++n)
        if (auto row = FindCityRow(table, names[n]))
            cities[n] = MapCityOf(*row);
    return cities;
}

TDateTime ApplyDaylightSaving(unsigned rule, TDateTime standardTime)
{
    if (rule >= kRules.size() || kRules[rule].hemisphere == Hemisphere::None || !std::isfinite(standardTime))
        return standardTime;
    const RuleDates& dst = kRules[rule];
    const int year = DecodeDate(standardTime).year;
    // Compared in whole milliseconds, as times are shown: UTC plus an offset such as -3.5 hours lands a
    // hair before 02:00 in binary fractions, and the clock would show "02:00" instead of "03:00".
    const std::int64_t now = ToMilliseconds(standardTime);
    const std::int64_t start = ToMilliseconds(ChangeOverMoment(year, dst.start));
    const std::int64_t end = ToMilliseconds(ChangeOverMoment(year, dst.end));
    const bool inForce = dst.hemisphere == Hemisphere::Northern ? start <= now && now < end : now >= start || now < end;
    return inForce ? standardTime + kHour : standardTime;
}

TDateTime CityLocalTime(const TMapCity& city, TDateTime utc, const ZoneDatabase* zones)
{
    if (zones && !city.Zone.empty())
        if (const std::optional<int> offset = zones->UtcOffsetSeconds(city.Zone, utc))
            return utc + *offset / 86400.0;
    return ApplyDaylightSaving(static_cast<unsigned>(city.DstRule), utc + city.UtcOffset);
}

const ZoneDatabase* CityZonesFor(const TMapCity& city, const ZoneDatabase* database, bool timeZoneMode)
{
    return timeZoneMode || city.ZoneTime ? database : nullptr;
}

std::string CityTimeText(const TMapCity& city, TDateTime utc, const LocaleFormats& formats, const ZoneDatabase* zones)
{
    return formats.ShortTime(CityLocalTime(city, utc, zones));
}
