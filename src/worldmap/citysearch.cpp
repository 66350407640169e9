#include "worldmap/citysearch.h"

#include "worldmap/citytable.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <utility>

namespace {

// The base letter of each code point from U+00C0 to U+024F and from U+1E00 to U+1EFF: '.' keeps the
// character as it is, '*' stands for two letters (kTwoLetters).
constexpr char32_t kLatinFirst = 0xC0;
constexpr std::string_view kLatinBase = "aaaaaa*ceeeeiiiidnooooo.ouuuuy**aaaaaa*ceeeeiiiidnooooo.ouuuuy*y"
                                        "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkklllllll"
                                        "lllnnnnnnnnnoooooo**rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs"
                                        "b......................i..l.....oo.............uu....zz........."
                                        ".............aaiioouuuuuuuuuu.aaaa..ggggkkoooo..j...gg..nnaa...."
                                        "aaaaeeeeiiiioooorrrruuuusstt..hh......aaeeooooooooyy............"
                                        "................";
constexpr char32_t kExtendedFirst = 0x1E00;
constexpr std::string_view kExtendedBase = "aabbbbbbccddddddddddeeeeeeeeeeffgghhhhhhhhhhiiiikkkkkkllllllllmm"
                                           "mmmmnnnnnnnnoooooooopppprrrrrrrrssssssssssttttttttuuuuuuuuuuvvvv"
                                           "wwwwwwwwwwxxxxyyzzzzzzhtwy......aaaaaaaaaaaaaaaaaaaaaaaaeeeeeeee"
                                           "eeeeeeeeiiiioooooooooooooooooooooooouuuuuuuuuuuuuuyyyyyyyy......";
constexpr std::pair<char32_t, std::string_view> kTwoLetters[] = {
    {0xC6, "ae"}, {0xDE, "th"}, {0xDF, "ss"}, {0xE6, "ae"}, {0xFE, "th"},
    {0x132, "ij"}, {0x133, "ij"}, {0x152, "oe"}, {0x153, "oe"},
};
constexpr char32_t kCombiningFirst = 0x300;
constexpr char32_t kCombiningLast = 0x36F;

// The code point of the UTF-8 sequence at text[at] and its length, or length 0 when none starts there.
std::pair<char32_t, std::size_t> Decode(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t n) { return static_cast<unsigned char>(text[at + n]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead >= 0xF8 || at + length > text.size())
        return {0, 0};
    char32_t code = lead & (0x7F >> length);
    for (std::size_t n = 1; n < length; ++n) {
        if ((byte(n) & 0xC0) != 0x80)
            return {0, 0};
        code = (code << 6) | (byte(n) & 0x3F);
    }
    return {code, length};
}

// What a code point becomes in a search key; empty to drop it, nullopt to keep it as it is.
std::optional<std::string_view> Folded(char32_t code)
{
    if (code >= kCombiningFirst && code <= kCombiningLast)
        return std::string_view();
    const auto base = [code](std::string_view table, char32_t first) -> std::optional<std::string_view> {
        if (code < first || code - first >= table.size() || table[code - first] == '.')
            return std::nullopt;
        if (table[code - first] != '*')
            return table.substr(code - first, 1);
        for (const auto& [special, letters] : kTwoLetters)
            if (special == code)
                return letters;
        return std::nullopt;
    };
    if (auto letters = base(kLatinBase, kLatinFirst))
        return letters;
    return base(kExtendedBase, kExtendedFirst);
}

// A table row's city, its place and its search key, for telling the world's cities it already holds.
struct TableCity {
    std::string key;     // SearchKey of the whole name
    std::string cityKey; // SearchKey of the part before the comma
    int latitude;
    int longitude; // east positive
};

// Sorted by cityKey, for InTable's look-ups.
std::vector<TableCity> TableCities(const TStrings& table)
{
    std::vector<TableCity> cities;
    for (const std::string& line : table)
        if (const std::optional<CityRow> row = ParseCityRow(line))
            cities.push_back({SearchKey(row->Key), SearchKey(row->Key.substr(0, row->Key.find(','))),
                              row->Latitude, row->Longitude});
    std::sort(cities.begin(), cities.end(), [](const TableCity& a, const TableCity& b) { return a.cityKey < b.cityKey; });
    return cities;
}

bool InTable(const std::vector<TableCity>& table, const WorldCity& world, const std::string& key)
{
    const auto sameName = [&key](const TableCity& row) { return row.key == key; };
    if (std::any_of(table.begin(), table.end(), sameName))
        return true;
    const std::string cityKey = SearchKey(world.Name);
    const auto [first, last] = std::equal_range(table.begin(), table.end(), TableCity{{}, cityKey, 0, 0},
                                                [](const TableCity& a, const TableCity& b) { return a.cityKey < b.cityKey; });
    return std::any_of(first, last, [&world](const TableCity& row) {
        return std::abs(row.latitude - world.Latitude) <= 1 && std::abs(row.longitude - world.Longitude) <= 1;
    });
}

} // namespace

std::string SearchKey(std::string_view text)
{
    std::string key;
    key.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (static_cast<unsigned char>(c) < 0x80) {
            key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            ++at;
            continue;
        }
        const auto [code, length] = Decode(text, at);
        const std::size_t taken = length == 0 ? 1 : length;
        const std::optional<std::string_view> folded = length == 0 ? std::nullopt : Folded(code);
        key += folded ? *folded : text.substr(at, taken);
        at += taken;
    }
    return key;
}

WorldCityIndex::WorldCityIndex(const std::vector<WorldCity>& cities, const TStrings& table)
{
    const std::vector<TableCity> tableCities = TableCities(table);
    std::vector<std::pair<std::string, AddedCity>> keyed;
    keyed.reserve(cities.size());
    for (const WorldCity& world : cities) {
        std::optional<AddedCity> city = AddedCityOf(world);
        if (!city)
            continue;
        std::string key = SearchKey(city->Name);
        if (!InTable(tableCities, world, key))
            keyed.emplace_back(std::move(key), std::move(*city));
    }
    // Alphabetical by key, then by name; of two cities with one name the first of the source stays.
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return std::tie(a.first, a.second.Name) < std::tie(b.first, b.second.Name);
    });
    keyed.erase(std::unique(keyed.begin(), keyed.end(),
                            [](const auto& a, const auto& b) { return a.second.Name == b.second.Name; }),
                keyed.end());
    for (auto& [key, city] : keyed) {
        m_keys.push_back(std::move(key));
        m_cities.push_back(std::move(city));
    }
}

std::vector<const AddedCity*> WorldCityIndex::Search(std::string_view filter, std::size_t limit) const
{
    const std::string wanted = SearchKey(filter);
    std::vector<const AddedCity*> beginning;
    std::vector<const AddedCity*> inside;
    if (wanted.empty())
        return beginning;
    for (std::size_t n = 0; n < m_keys.size() && beginning.size() < limit; ++n) {
        const std::size_t at = m_keys[n].find(wanted);
        if (at == 0)
            beginning.push_back(&m_cities[n]);
        else if (at != std::string::npos && inside.size() < limit)
            inside.push_back(&m_cities[n]);
    }
    inside.resize(std::min(inside.size(), limit - beginning.size()));
    beginning.insert(beginning.end(), inside.begin(), inside.end());
    return beginning;
}

const AddedCity* WorldCityIndex::Find(const std::string& name) const
{
    const auto found = std::find_if(m_cities.begin(), m_cities.end(),
                                    [&name](const AddedCity& city) { return city.Name == name; });
    return found == m_cities.end() ? nullptr : &*found;
}
