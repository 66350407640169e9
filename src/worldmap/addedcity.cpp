#include "worldmap/addedcity.h"

#include "base/text.h"
#include "worldmap/citytable.h"

#include <charconv>
#include <cmath>

namespace {

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The first `limit` bytes of text, less a character the cut would split, less trailing blanks and commas.
std::string CutAtCharacter(std::string text, std::size_t limit)
{
    if (text.size() > limit) {
        std::size_t end = limit;
        while (end > 0 && IsContinuation(static_cast<unsigned char>(text[end])))
            --end;
        text.resize(end);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == ','))
        text.pop_back();
    return text;
}

bool StorableAsKey(std::string_view name)
{
    if (name.empty() || name.front() == ';' || name.front() == '[' || name.front() == ' ')
        return false;
    for (const char c : name)
        if (c == '=' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}

bool OnEarth(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude) && std::abs(latitude) <= 90 &&
           std::abs(longitude) <= 180;
}

// Degrees as the settings write numbers: "." as separator whatever the locale, six decimals (about
// 10 cm), no exponent.
std::string Degrees(double value)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6).ptr;
    return std::string(text, end);
}

// The next blank-separated word of text, removed from it.
std::string_view TakeWord(std::string_view& text)
{
    const std::size_t start = text.find_first_not_of(' ');
    text.remove_prefix(start == std::string_view::npos ? text.size() : start);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

bool ZoneKnown(const ZoneDatabase* zones, const std::string& zone)
{
    // Any moment serves: a zone the database knows has an offset at every moment.
    return zones && zones->UtcOffsetSeconds(zone, EncodeDate(2026, 1, 1)).has_value();
}

} // namespace

std::optional<AddedCity> AddedCityOf(const WorldCity& city)
{
    std::string name = city.Name;
    for (const std::string* part : {&city.Region, &city.Country})
        if (!part->empty())
            name += ", " + *part;
    name = CutAtCharacter(std::move(name), kMaxAddedCityName);
    if (!StorableAsKey(name) || city.Zone.empty() || !OnEarth(city.Latitude, city.Longitude))
        return std::nullopt;
    return AddedCity{name, city.Latitude, city.Longitude, city.Zone};
}

std::string AddedCityText(const AddedCity& city)
{
    return Degrees(city.Latitude) + ' ' + Degrees(city.Longitude) + ' ' + city.Zone;
}

std::optional<AddedCity> ParseAddedCity(const std::string& name, std::string_view text)
{
    AddedCity city;
    city.Name = name;
    const std::string latitude(TakeWord(text));
    const std::string longitude(TakeWord(text));
    city.Zone = TakeWord(text);
    if (!StorableAsKey(name) || city.Zone.empty() || !TakeWord(text).empty() ||
        !TryParseDecimal(latitude, city.Latitude) || !TryParseDecimal(longitude, city.Longitude) ||
        !OnEarth(city.Latitude, city.Longitude))
        return std::nullopt;
    return city;
}

TMapCity MapCityOf(const AddedCity& city)
{
    TMapCity slot;
    slot.Name = city.Name.substr(0, city.Name.find(','));
    slot.Latitude = static_cast<int>(std::lround(city.Latitude));
    slot.Longitude = -static_cast<int>(std::lround(city.Longitude));
    slot.Zone = city.Zone;
    slot.ZoneTime = true;
    return slot;
}

TMapCities MapCitiesOf(const TStrings& names, const TStrings& table, const AddedCityReader& added,
                       const ZoneDatabase* zones, const std::function<void(const AddedCity&)>& skipped)
{
    TMapCities cities{};
    std::size_t slot = 0;
    for (auto name = names.begin(); name != names.end() && slot < kMaxMapCities; ++name) {
        if (const std::optional<CityRow> row = FindCityRow(table, *name)) {
            cities[slot++] = MapCityOf(*row);
        } else if (const std::optional<AddedCity> city = added ? added(*name) : std::nullopt) {
            if (ZoneKnown(zones, city->Zone))
                cities[slot++] = MapCityOf(*city);
            else if (skipped)
                skipped(*city);
        } else {
            ++slot; // an unknown name leaves its slot empty, as the table's cities always have
        }
    }
    return cities;
}
