// City table rows and the daylight-saving rules on any text: every line is taken as a row; the
// names are cut to their columns, and a city's local time is its standard time or one hour later.
#include "fuzzcheck.h"
#include "worldmap/citytable.h"

#include <cmath>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first bytes choose a moment between 1900 and 2100; the rest is the table.
    if (size < 4)
        return 0;
    std::uint32_t pick = 0;
    std::memcpy(&pick, data, 4);
    const TDateTime utc = 1.0 + (pick % (73000u * 1440u)) / 1440.0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 4, size - 4);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view row = text.substr(start, end - start);
        start = end + 1;
        FUZZ_CHECK(CityRowKey(row).size() <= 32);
        FUZZ_CHECK(CityChoiceName(row).size() <= 31);
        const std::optional<CityRow> city = ParseCityRow(row);
        if (!city)
            continue;
        const TMapCity slot = MapCityOf(*city);
        const TDateTime local = CityLocalTime(slot, utc);
        const TDateTime standard = utc + city->OffsetHours / 24;
        FUZZ_CHECK(std::abs(local - standard) < 1e-6 || std::abs(local - standard - 1.0 / 24) < 1e-6);
        const TDateTime shifted = ApplyDaylightSaving(static_cast<unsigned>(city->DstRule), utc);
        FUZZ_CHECK(shifted == utc || std::abs(shifted - utc - 1.0 / 24) < 1e-9);
    }
    return 0;
}
