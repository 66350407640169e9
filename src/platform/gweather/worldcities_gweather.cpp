// The world's cities from libgweather-4's location database: every location of the city level,
// with the country and the state or province it lies in. The database is read from the file the
// library keeps mapped; nothing goes to the network.
#include "platform/worldcities.h"

#include <libgweather/gweather.h>

namespace {

class GWeatherWorldCities final : public WorldCitySource {
public:
    const std::vector<WorldCity>& Cities() override
    {
        if (!m_read) {
            m_read = true;
            if (GWeatherLocation* world = gweather_location_get_world()) {
                Walk(world, {}, {});
                g_object_unref(world);
            }
        }
        return m_cities;
    }

private:
    // The cities below location, which lies in country and region (empty until the walk reaches them).
    void Walk(GWeatherLocation* location, const std::string& country, const std::string& region)
    {
        // next_child takes the previous child and gives the next one: the loop owns one at a time.
        GWeatherLocation* child = nullptr;
        while ((child = gweather_location_next_child(location, child))) {
            const char* name = gweather_location_get_name(child);
            const std::string text = name ? name : "";
            switch (gweather_location_get_level(child)) {
            case GWEATHER_LOCATION_COUNTRY:
                Walk(child, text, {});
                break;
            case GWEATHER_LOCATION_ADM1:
                Walk(child, country, text);
                break;
            case GWEATHER_LOCATION_CITY:
                Add(child, text, country, region);
                break;
            case GWEATHER_LOCATION_WEATHER_STATION:
            case GWEATHER_LOCATION_DETACHED:
            case GWEATHER_LOCATION_NAMED_TIMEZONE:
                break; // stations lie below cities and are no cities of their own
            default:
                Walk(child, country, region);
                break;
            }
        }
    }

    void Add(GWeatherLocation* location, const std::string& name, const std::string& country,
             const std::string& region)
    {
        const char* zone = gweather_location_get_timezone_str(location);
        if (name.empty() || !zone || !*zone || !gweather_location_has_coords(location))
            return;
        WorldCity city{name, region, country, 0, 0, zone};
        gweather_location_get_coords(location, &city.Latitude, &city.Longitude);
        m_cities.push_back(std::move(city));
    }

    bool m_read = false;
    std::vector<WorldCity> m_cities;
};

} // namespace

std::unique_ptr<WorldCitySource> MakeSystemWorldCities()
{
    return std::make_unique<GWeatherWorldCities>();
}
