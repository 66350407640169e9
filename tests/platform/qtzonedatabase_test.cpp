// The cities' times from the system's time-zone database (tzdata 2025b or later), through QTimeZone.
#include "platform/qt/qtzonedatabase.h"
#include "support/casename.h"
#include "worldmap/addedcity.h"
#include "worldmap/citytable.h"

#include <gtest/gtest.h>

#include <cstdio>

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

// A city's clock at a UTC moment of 2026.
struct ClockCase {
    const char* city;
    int month, day, hour, minute;
    const char* local;
};

// "New York 8 March 06:59 UTC" as a case name.
std::string ClockCaseName(const ::testing::TestParamInfo<ClockCase>& info)
{
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    const ClockCase& c = info.param;
    char moment[40];
    std::snprintf(moment, sizeof moment, " %d %s %02d:%02d UTC", c.day, kMonths[c.month - 1], c.hour, c.minute);
    const std::string city = c.city;
    return CaseName(city.substr(0, city.find(',')) + moment);
}

class BuiltInCityClocks : public ::testing::TestWithParam<ClockCase> {};

TEST_P(BuiltInCityClocks, FollowTheZoneAcrossThe2026ChangeOvers)
{
    const QtZoneDatabase zones;
    const ClockCase& c = GetParam();
    EXPECT_EQ(Clock(BuiltIn(c.city), Utc(c.month, c.day, c.hour, c.minute), &zones), c.local);
}

INSTANTIATE_TEST_SUITE_P(
    QtZoneDatabase, BuiltInCityClocks,
    ::testing::Values(
        // The US: 8 March 02:00 EST jumps to 03:00; 1 November 02:00 EDT falls back to 01:00.
        ClockCase{"New York, New York", 3, 8, 6, 59, "01:59"}, ClockCase{"New York, New York", 3, 8, 7, 0, "03:00"},
        ClockCase{"New York, New York", 11, 1, 5, 59, "01:59"}, ClockCase{"New York, New York", 11, 1, 6, 0, "01:00"},
        // The EU: at 01:00 UTC on 29 March and 25 October.
        ClockCase{"Berlin, Germany", 3, 29, 0, 59, "01:59"}, ClockCase{"Berlin, Germany", 3, 29, 1, 0, "03:00"},
        ClockCase{"Berlin, Germany", 10, 25, 0, 59, "02:59"}, ClockCase{"Berlin, Germany", 10, 25, 1, 0, "02:00"},
        // The south: Sydney leaves summer time on 5 April 03:00 and enters it on 4 October 02:00.
        ClockCase{"Sydney, Australia", 4, 4, 15, 59, "02:59"}, ClockCase{"Sydney, Australia", 4, 4, 16, 0, "02:00"},
        ClockCase{"Sydney, Australia", 10, 3, 15, 59, "01:59"}, ClockCase{"Sydney, Australia", 10, 3, 16, 0, "03:00"},
        // No daylight saving: Kabul at +4:30, Moscow at +3 all year.
        ClockCase{"Kabul, Afghanistan", 1, 15, 12, 0, "16:30"}, ClockCase{"Kabul, Afghanistan", 7, 15, 12, 0, "16:30"},
        ClockCase{"Moscow, Russia", 1, 15, 12, 0, "15:00"}, ClockCase{"Moscow, Russia", 7, 15, 12, 0, "15:00"},
        // The Kyiv zone under its current name.
        ClockCase{"Kiev, Ukraine", 7, 15, 12, 0, "15:00"}),
    ClockCaseName);

// The table's own answer for New York on 8 March, for contrast: its rule keeps the old April start.
TEST(QtZoneDatabase, WithoutTheZonesNewYorkKeepsTheTablesAprilStart)
{
    EXPECT_EQ(Clock(BuiltIn("New York, New York"), Utc(3, 8, 7, 0), nullptr), "02:00");
}

// Cities added from the world's cities keep their zone's time with the table's offsets in force.
TMapCity Added(const std::string& name)
{
    for (const AddedCity& city : {AddedCity{"Tromsø, Norway", 69.67, 18.92, "Europe/Oslo"},
                                  AddedCity{"Hobart, Tasmania, Australia", -42.88, 147.32, "Australia/Hobart"}})
        if (city.Name == name)
            return MapCityOf(city);
    ADD_FAILURE() << name;
    return {};
}

class AddedCityClocks : public ::testing::TestWithParam<ClockCase> {};

TEST_P(AddedCityClocks, FollowTheZoneAcrossThe2026ChangeOversInTableMode)
{
    const QtZoneDatabase zones;
    const ClockCase& c = GetParam();
    const TMapCity city = Added(c.city);
    EXPECT_EQ(Clock(city, Utc(c.month, c.day, c.hour, c.minute), CityZonesFor(city, &zones, false)), c.local);
}

INSTANTIATE_TEST_SUITE_P(
    QtZoneDatabase, AddedCityClocks,
    ::testing::Values(ClockCase{"Tromsø, Norway", 3, 29, 0, 59, "01:59"},
                      ClockCase{"Tromsø, Norway", 3, 29, 1, 0, "03:00"},
                      ClockCase{"Tromsø, Norway", 10, 25, 0, 59, "02:59"},
                      ClockCase{"Tromsø, Norway", 10, 25, 1, 0, "02:00"},
                      // Tasmania leaves summer time on 5 April 03:00 and enters it on 4 October 02:00.
                      ClockCase{"Hobart, Tasmania, Australia", 4, 4, 15, 59, "02:59"},
                      ClockCase{"Hobart, Tasmania, Australia", 4, 4, 16, 0, "02:00"},
                      ClockCase{"Hobart, Tasmania, Australia", 10, 3, 15, 59, "01:59"},
                      ClockCase{"Hobart, Tasmania, Australia", 10, 3, 16, 0, "03:00"}),
    ClockCaseName);

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
