// The world's cities beside the table: the search key, the index the filter searches, an added
// city's stored value and its map slot.
#include "worldmap/citysearch.h"
#include "worldmap/citytable.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(SearchKey, IgnoresCaseAndAccentsAndKeepsWhatItCannotFold)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Tromsø, Norway", "tromso, norway"},
        {"TROMSØ", "tromso"},
        {"São Paulo", "sao paulo"},
        {"Straße Æbeltoft Œuf Þingvellir", "strasse aebeltoft oeuf thingvellir"},
        {"Łódź, Poland", "lodz, poland"},
        {"Hà Nội", "ha noi"},         // U+1ED9, of the Vietnamese letters
        {"Mu\xcc\x88nchen", "munchen"}, // u and a combining diaeresis
        {"Москва", "Москва"},          // no Latin letters: kept as they are
        {"bad \xff\xc3 end", "bad \xff\xc3 end"},
    };
    for (const auto& [text, key] : cases)
        EXPECT_EQ(SearchKey(text), key) << text;
}

class WorldCityIndexTest : public ::testing::Test {
protected:
    const std::vector<WorldCity> world{
        {"Tromsø", "", "Norway", 69.67, 18.92, "Europe/Oslo"},
        {"Paris", "", "France", 48.87, 2.33, "Europe/Paris"}, // the table's Paris
        {"Paris", "Texas", "United States", 33.66, -95.56, "America/Chicago"},
        {"Hamilton", "", "Bermuda", 32.29, -64.78, "Atlantic/Bermuda"},
        {"Birmingham", "", "United Kingdom", 52.48, -1.9, "Europe/London"},
        {"Tromsø", "", "Norway", 69.0, 18.0, "Europe/Oslo"}, // the same name again
        {"A=B", "", "Nowhere", 0, 0, "Etc/UTC"},             // no settings key
        {"Tokyo", "", "Japan", 35.68, 139.77, "Asia/Tokyo"}, // the table's, by its name
    };
    const WorldCityIndex index{world, BuiltInCityRows()};

    std::vector<std::string> Names(std::string_view filter, std::size_t limit = 10) const
    {
        std::vector<std::string> names;
        for (const AddedCity* city : index.Search(filter, limit))
            names.push_back(city->Name);
        return names;
    }
};

TEST_F(WorldCityIndexTest, FindsCitiesBeyondTheTableWhateverTheAccentsAndCase)
{
    EXPECT_EQ(index.Size(), 4u) << "Paris, France, Tokyo, the second Tromsø and A=B are not offered";
    using List = std::vector<std::string>;
    EXPECT_EQ(Names("tromso"), List{"Tromsø, Norway"});
    EXPECT_EQ(Names("TROMSØ"), List{"Tromsø, Norway"});
    EXPECT_EQ(Names("paris"), List{"Paris, Texas, United States"});
    EXPECT_EQ(Names("ham"), (List{"Hamilton, Bermuda", "Birmingham, United Kingdom"})) << "beginnings first";
    EXPECT_EQ(Names("ham", 1), List{"Hamilton, Bermuda"});
    EXPECT_EQ(Names(""), List{});
    EXPECT_EQ(Names("xyz"), List{});
    ASSERT_NE(index.Find("Tromsø, Norway"), nullptr);
    EXPECT_DOUBLE_EQ(index.Find("Tromsø, Norway")->Latitude, 69.67) << "the first of one name stays";
    EXPECT_EQ(index.Find("tromsø, norway"), nullptr);
}

TEST(AddedCity, StoredValueReadsBackAndBadOnesAreNoCity)
{
    const AddedCity hobart{"Hobart, Tasmania, Australia", -42.883333, 147.316667, "Australia/Hobart"};
    EXPECT_EQ(AddedCityText(hobart), "-42.883333 147.316667 Australia/Hobart");
    EXPECT_EQ(ParseAddedCity(hobart.Name, AddedCityText(hobart)), hobart);
    EXPECT_EQ(ParseAddedCity("X", " 1  2  Etc/UTC ").value_or(AddedCity{}).Zone, "Etc/UTC");
    for (const char* bad : {"", "1 2", "91 0 Etc/UTC", "0 181 Etc/UTC", "1 2 Etc/UTC more", "a b Etc/UTC",
                            "nan 0 Etc/UTC", "1,5 2 Etc/UTC"})
        EXPECT_FALSE(ParseAddedCity("X", bad)) << bad;
    EXPECT_FALSE(ParseAddedCity("A=B", "1 2 Etc/UTC")) << "no settings key";
    // A name is cut to what a list gives back whole, never inside a character: 62 letters and an "ø".
    EXPECT_EQ(AddedCityOf({std::string(62, 'x') + "ø", "", "Norway", 1, 2, "Europe/Oslo"}).value().Name,
              std::string(62, 'x'));
    EXPECT_FALSE(AddedCityOf({"Nowhere", "", "", 95, 0, "Etc/UTC"})) << "outside the Earth";
}

class OsloOnly final : public ZoneDatabase {
public:
    std::optional<int> UtcOffsetSeconds(const std::string& zone, TDateTime) const override
    {
        return zone == "Europe/Oslo" ? std::optional<int>(3600) : std::nullopt;
    }
};

// Table rows and added cities fill the slots in list order; an added city of an unknown zone is
// passed over, once said, and a name neither knows leaves its slot empty.
TEST(MapCitiesOf, TakesAddedCitiesAndSkipsThoseOfAnUnknownZone)
{
    const std::map<std::string, AddedCity> stored{
        {"Tromsø, Norway", {"Tromsø, Norway", 69.67, 18.92, "Europe/Oslo"}},
        {"Atlantis, Sea", {"Atlantis, Sea", 0, 0, "Atlantis/Nowhere"}},
    };
    const AddedCityReader read = [&stored](const std::string& name) -> std::optional<AddedCity> {
        const auto found = stored.find(name);
        return found == stored.end() ? std::nullopt : std::optional<AddedCity>(found->second);
    };
    std::vector<std::string> skipped;
    const OsloOnly zones;
    const TMapCities cities =
        MapCitiesOf({"London, England", "Atlantis, Sea", "Tromsø, Norway", "Nowhere, Mars", "Tokyo, Japan"},
                    BuiltInCityRows(), read, &zones, [&](const AddedCity& city) { skipped.push_back(city.Name); });
    EXPECT_EQ(skipped, std::vector<std::string>{"Atlantis, Sea"});
    EXPECT_EQ(cities[0].Name, "London");
    EXPECT_FALSE(cities[0].ZoneTime);
    EXPECT_EQ(cities[1].Name, "Tromsø");
    EXPECT_EQ(cities[1].Latitude, 70);
    EXPECT_EQ(cities[1].Longitude, -19) << "west positive, rounded";
    EXPECT_EQ(cities[1].Zone, "Europe/Oslo");
    EXPECT_TRUE(cities[1].ZoneTime);
    EXPECT_EQ(cities[2].Name, "") << "Nowhere, Mars is no city";
    EXPECT_EQ(cities[3].Name, "Tokyo");
    // Without zones, no added city can be shown.
    EXPECT_EQ(MapCitiesOf({"Tromsø, Norway"}, BuiltInCityRows(), read, nullptr, {})[0].Name, "");
    // In either mode an added city's time comes from the zones; a table city's only in the zone mode.
    EXPECT_EQ(CityZonesFor(cities[1], &zones, false), &zones);
    EXPECT_EQ(CityZonesFor(cities[0], &zones, false), nullptr);
    EXPECT_EQ(CityZonesFor(cities[0], &zones, true), &zones);
}

} // namespace
