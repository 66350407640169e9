// The label times of all 124 built-in cities, as a map redraw asks for them (once a minute), from the table's
// offsets and rules and from the system's time-zone database through QTimeZone.
#include "platform/qt/qtzonedatabase.h"
#include "worldmap/citytable.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

std::vector<TMapCity> AllCities()
{
    std::vector<TMapCity> cities;
    for (const std::string& row : BuiltInCityRows())
        if (const auto city = ParseCityRow(row))
            cities.push_back(MapCityOf(*city));
    return cities;
}

void CityTimes(benchmark::State& state, const ZoneDatabase* zones)
{
    const std::vector<TMapCity> cities = AllCities();
    const FixedLocaleFormats formats;
    TDateTime utc = EncodeDate(2026, 3, 1);
    for (auto _ : state) {
        utc += 1.0 / 1440; // a new minute each time, as the map is redrawn
        for (const TMapCity& city : cities)
            benchmark::DoNotOptimize(CityTimeText(city, utc, formats, zones));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(cities.size()));
}

void BM_124CityTimesTable(benchmark::State& state)
{
    CityTimes(state, nullptr);
}
BENCHMARK(BM_124CityTimesTable);

void BM_124CityTimesZones(benchmark::State& state)
{
    const QtZoneDatabase zones; // built once, as the program keeps it; the first pass builds the zones
    CityTimes(state, &zones);
}
BENCHMARK(BM_124CityTimesZones);

} // namespace
