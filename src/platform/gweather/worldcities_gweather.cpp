// The world's cities from libgweather-4's location database: every location of the city level,
// with the country and the state or province it lies in. The database is read from the file the
// library keeps mapped; nothing goes to the network.
//
// The library is opened when the cities are first asked for, not linked: with what it needs (libsoup,
// libxml2, SQLite, Kerberos and two dozen more) it would cost every start about half a MiB and some
// 30 M instructions of linking, for a list only the city search uses. Should it be gone by then, there
// are no cities.
#include "platform/worldcities.h"

#include <dlfcn.h>
#include <libgweather/gweather.h>
#include <optional>

namespace {

// The library's soname; its ABI has kept it since libgweather-4 began.
constexpr const char* kGWeatherLibrary = "libgweather-4.so.0";

// The library's functions the walk uses.
struct GWeatherCalls {
    decltype(&gweather_location_get_world) getWorld = nullptr;
    decltype(&gweather_location_next_child) nextChild = nullptr;
    decltype(&gweather_location_get_name) getName = nullptr;
    decltype(&gweather_location_get_level) getLevel = nullptr;
    decltype(&gweather_location_get_timezone_str) getZone = nullptr;
    decltype(&gweather_location_has_coords) hasCoords = nullptr;
    decltype(&gweather_location_get_coords) getCoords = nullptr;
    decltype(&g_object_unref) unref = nullptr; // from GObject, which the library brings
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// The library opened (for the program's life) with every function found, or nothing.
std::optional<GWeatherCalls> OpenGWeather()
{
    void* library = dlopen(kGWeatherLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return std::nullopt;
    GWeatherCalls calls;
    if (Resolve(library, "gweather_location_get_world", calls.getWorld) &&
        Resolve(library, "gweather_location_next_child", calls.nextChild) &&
        Resolve(library, "gweather_location_get_name", calls.getName) &&
        Resolve(library, "gweather_location_get_level", calls.getLevel) &&
        Resolve(library, "gweather_location_get_timezone_str", calls.getZone) &&
        Resolve(library, "gweather_location_has_coords", calls.hasCoords) &&
        Resolve(library, "gweather_location_get_coords", calls.getCoords) &&
        Resolve(library, "g_object_unref", calls.unref))
        return calls;
    dlclose(library);
    return std::nullopt;
}

class GWeatherWorldCities final : public WorldCitySource {
public:
    const std::vector<WorldCity>& Cities() override
    {
        if (!m_read) {
            m_read = true;
            const std::optional<GWeatherCalls> calls = OpenGWeather();
            if (!calls)
                return m_cities;
            m_calls = *calls;
            if (GWeatherLocation* world = m_calls.getWorld()) {
                Walk(world, {}, {});
                m_calls.unref(world);
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
        while ((child = m_calls.nextChild(location, child))) {
            const char* name = m_calls.getName(child);
            const std::string text = name ? name : "";
            switch (m_calls.getLevel(child)) {
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
        const char* zone = m_calls.getZone(location);
        if (name.empty() || !zone || !*zone || !m_calls.hasCoords(location))
            return;
        WorldCity city{name, region, country, 0, 0, zone};
        m_calls.getCoords(location, &city.Latitude, &city.Longitude);
        m_cities.push_back(std::move(city));
    }

    bool m_read = false;
    GWeatherCalls m_calls;
    std::vector<WorldCity> m_cities;
};

} // namespace

std::unique_ptr<WorldCitySource> MakeSystemWorldCities()
{
    return std::make_unique<GWeatherWorldCities>();
}
