// The cities' times from the system's time-zone database (tzdata 2025b or later), through QTimeZone.
#include "platform/qt/qtzonedatabase.h"
#include "worldmap/addedcity.h"
#include "worldmap/citytable.h"

#include <gtest/gtest.h>

namespace {

TDateTime Utc(int month, int day, int hour, int minute)
{
    return EncodeDate(2026, month, day) + EncodeTime(hour, minute, 0, 0);
}

TMapCity BuiltIn(const std::string& name)
{
    const auto row = FindCityRow(BuiltInCityRows(), name);
    EXPECT_TRUE(row) << name;
    return row ? MapCityOf(*row) : TMapCity{};
}

// "hh:nn" of the city's local time at utc.
std::string Clock(const TMapCity& city, TDateTime utc, const ZoneDatabase* zones)
{
    return FormatTimeHHNNSS(CityLocalTime(city, utc, zones)).substr(0, 5);
}

TEST(QtZoneDatabase, CityTimesAcrossThe2026ChangeOvers)
{
    const QtZoneDatabase zones;
    struct Case {
        const char* city;
        TDateTime utc;
        const char* local;
    };
    const Case cases[] = {
        // The US: 8 March 02:00 EST jumps to 03:00; 1 November 02:00 EDT falls back to 01:00.
        {"New York, New York", Utc(3, 8, 6, 59), "01:59"},
        {"New York, New York", Utc(3, 8, 7, 0), "03:00"},
        {"New York, New York", Utc(11, 1, 5, 59), "01:59"},
        {"New York, New York", Utc(11, 1, 6, 0), "01:00"},
        // The EU: at 01:00 UTC on 29 March and 25 October.
        {"Berlin, Germany", Utc(3, 29, 0, 59), "01:59"},
        {"Berlin, Germany", Utc(3, 29, 1, 0), "03:00"},
        {"Berlin, Germany", Utc(10, 25, 0, 59), "02:59"},
        {"Berlin, Germany", Utc(10, 25, 1, 0), "02:00"},
        // The south: Sydney leaves summer time on 5 April 03:00 and enters it on 4 October 02:00.
        {"Sydney, Australia", Utc(4, 4, 15, 59), "02:59"},
        {"Sydney, Australia", Utc(4, 4, 16, 0), "02:00"},
        {"Sydney, Australia", Utc(10, 3, 15, 59), "01:59"},
        {"Sydney, Australia", Utc(10, 3, 16, 0), "03:00"},
        // No daylight saving: Kabul at +4:30, Moscow at +3 all year.
        {"Kabul, Afghanistan", Utc(1, 15, 12, 0), "16:30"},
        {"Kabul, Afghanistan", Utc(7, 15, 12, 0), "16:30"},
        {"Moscow, Russia", Utc(1, 15, 12, 0), "15:00"},
        {"Moscow, Russia", Utc(7, 15, 12, 0), "15:00"},
        // The Kyiv zone under its current name.
        {"Kiev, Ukraine", Utc(7, 15, 12, 0), "15:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.city << " at " << FormatTimeHHNNSS(c.utc) << " UTC");
        EXPECT_EQ(Clock(BuiltIn(c.city), c.utc, &zones), c.local);
    }
    // The table's own answer for New York on 8 March, for contrast: its rule keeps the old April start.
    EXPECT_EQ(Clock(BuiltIn("New York, New York"), Utc(3, 8, 7, 0), nullptr), "02:00");
}

// Cities added from the world's cities keep their zone's time with the table's offsets in force.
TEST(QtZoneDatabase, AddedCitiesAcrossThe2026ChangeOversInTableMode)
{
    const QtZoneDatabase zones;
    const TMapCity tromso = MapCityOf(AddedCity{"Tromsø, Norway", 69.67, 18.92, "Europe/Oslo"});
    const TMapCity hobart = MapCityOf(AddedCity{"Hobart, Tasmania, Australia", -42.88, 147.32, "Australia/Hobart"});
    struct Case {
        const TMapCity& city;
        TDateTime utc;
        const char* local;
    };
    const Case cases[] = {
        {tromso, Utc(3, 29, 0, 59), "01:59"}, {tromso, Utc(3, 29, 1, 0), "03:00"},
        {tromso, Utc(10, 25, 0, 59), "02:59"}, {tromso, Utc(10, 25, 1, 0), "02:00"},
        // Tasmania leaves summer time on 5 April 03:00 and enters it on 4 October 02:00.
        {hobart, Utc(4, 4, 15, 59), "02:59"}, {hobart, Utc(4, 4, 16, 0), "02:00"},
        {hobart, Utc(10, 3, 15, 59), "01:59"}, {hobart, Utc(10, 3, 16, 0), "03:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.city.Name << " at " << FormatTimeHHNNSS(c.utc) << " UTC");
        EXPECT_EQ(Clock(c.city, c.utc, CityZonesFor(c.city, &zones, false)), c.local);
    }
}

// A row of the user's own, or a zone this system lacks, keeps the table's offset and rule.
TEST(QtZoneDatabase, CityOfNoKnownZoneKeepsItsTableRule)
{
    const QtZoneDatabase zones;
    const auto row = ParseCityRow("Springfield, Nowhere             -5.0  -90     40      2");
    ASSERT_TRUE(row);
    const TMapCity own = MapCityOf(*row);
    EXPECT_EQ(own.Zone, "");
    EXPECT_EQ(Clock(own, Utc(7, 15, 12, 0), &zones), "08:00"); // -5 and rule 2's summer hour

    TMapCity lost = BuiltIn("London, England");
    lost.Zone = "Atlantis/Nowhere";
    EXPECT_FALSE(zones.UtcOffsetSeconds(lost.Zone, Utc(7, 15, 12, 0)));
    EXPECT_EQ(Clock(lost, Utc(7, 15, 12, 0), &zones), "13:00");
}

} // namespace
