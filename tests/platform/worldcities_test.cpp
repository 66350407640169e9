// The system's world cities: present exactly in a build that found the database (libgweather-4),
// and then holding its cities with their places and zones; absent otherwise, the program offering its
// own table alone.
#include "platform/worldcities.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(SystemWorldCities, PresentExactlyWhenTheBuildHasTheDatabase)
{
    const std::unique_ptr<WorldCitySource> source = MakeSystemWorldCities();
    if (!CHRONIVO_HAVE_WORLD_CITIES) {
        EXPECT_EQ(source, nullptr);
        return;
    }
    ASSERT_NE(source, nullptr);
    const std::vector<WorldCity>& cities = source->Cities();
    EXPECT_GT(cities.size(), 4000u);
    EXPECT_EQ(&source->Cities(), &cities) << "read once";
    const auto tromso = std::find_if(cities.begin(), cities.end(),
                                     [](const WorldCity& city) { return city.Name == "Tromsø"; });
    ASSERT_NE(tromso, cities.end());
    EXPECT_EQ(tromso->Country, "Norway");
    EXPECT_EQ(tromso->Zone, "Europe/Oslo");
    EXPECT_NEAR(tromso->Latitude, 69.67, 0.1);
    EXPECT_NEAR(tromso->Longitude, 18.92, 0.1) << "east positive";
    EXPECT_TRUE(std::all_of(cities.begin(), cities.end(), [](const WorldCity& city) {
        return !city.Name.empty() && !city.Zone.empty();
    }));
}

} // namespace
