// Platform service: a database of the world's cities, each with its place and its zone in the
// system's time-zone database, offered for the map beside the program's own table. On Linux it is the
// desktop's location database (libgweather-4, where the build finds it: platform/gweather/); without
// it there is none and the program offers its own table only.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct WorldCity {
    std::string Name;     // the city in the user's language where the database has it ("Tromsø"), UTF-8
    std::string Region;   // the state or province where the database names one ("Texas"); often empty
    std::string Country;  // "Norway"
    double Latitude = 0;  // degrees, north positive
    double Longitude = 0; // degrees, EAST positive
    std::string Zone;     // the zone's name in the time-zone database ("Europe/Oslo")
};

class WorldCitySource {
public:
    virtual ~WorldCitySource() = default;
    // Every city of the database: read on the first call (about 10 to 20 ms) and kept.
    virtual const std::vector<WorldCity>& Cities() = 0;
};

// The system's database, or nullptr when this build has none.
std::unique_ptr<WorldCitySource> MakeSystemWorldCities();
