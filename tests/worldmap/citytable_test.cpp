#include "worldmap/citytable.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

namespace {

constexpr double kHour = 1.0 / 24.0;
constexpr double kMinute = kHour / 60.0;

TDateTime At(int year, int month, int day, int hour, int minute)
{
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, 0, 0);
}

// A fixed-column row as the table lays it out.
std::string Row(const std::string& name, const char* offset, int longitude, int latitude, int rule)
{
    char numbers[40];
    std::snprintf(numbers, sizeof numbers, "%5s %4d    %3d     %2d", offset, longitude, latitude, rule);
    std::string row = name;
    row.resize(33, ' ');
    return row + numbers;
}

TMapCity BuiltInCity(const std::string& name)
{
    const auto row = FindCityRow(BuiltInCityRows(), name);
    EXPECT_TRUE(row.has_value()) << name;
    return row ? MapCityOf(*row) : TMapCity{};
}

// Each test's files live in a folder of their own, removed afterwards.
class TempFolder : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes)
    {
        m_folder.Write(name, bytes);
        return m_folder.File(name);
    }

    TempDir m_folder;
};

// ---- Daylight-saving rules ----

struct DstCase {
    const char* what;
    unsigned rule;
    TDateTime standard;
    bool extraHour;
};

TEST(ApplyDaylightSaving, ChangesOverAt0200StandardTimeOnTheRuleDates)
{
    // 2026 begins on a Thursday: 1 March and 5 April are Sundays, 1 April a Wednesday, 1 October a
    // Thursday. Each change-over is tried a minute before 02:00 and at 02:00.
    const std::vector<DstCase> cases = {
        {"1 starts last Sun of Mar, before", 1, At(2026, 3, 29, 1, 59), false},
        {"1 starts last Sun of Mar", 1, At(2026, 3, 29, 2, 0), true},
        {"1 ends last Sun of Oct, before", 1, At(2026, 10, 25, 1, 59), true},
        {"1 ends last Sun of Oct", 1, At(2026, 10, 25, 2, 0), false},
        {"1 a week early is winter", 1, At(2026, 3, 22, 12, 0), false},
        {"2 starts first Sun of Apr", 2, At(2026, 4, 5, 2, 0), true},
        {"2 not yet on last Sun of Mar", 2, At(2026, 3, 29, 12, 0), false},
        {"4 starts first Fri of Apr", 4, At(2026, 4, 3, 2, 0), true},
        {"4 ends first Fri of Sep", 4, At(2026, 9, 4, 2, 0), false},
        {"4 before the end", 4, At(2026, 9, 4, 1, 59), true},
        {"5 starts last Fri of Apr", 5, At(2026, 4, 24, 2, 0), true},
        {"5 not on the Fri before", 5, At(2026, 4, 17, 12, 0), false},
        {"5 before the end, last Thu of Sep", 5, At(2026, 9, 24, 1, 59), true},
        {"5 ends last Thu of Sep", 5, At(2026, 9, 24, 2, 0), false},
        {"6 starts 1 Apr, a Wednesday", 6, At(2026, 4, 1, 2, 0), true},
        {"6 before the start", 6, At(2026, 4, 1, 1, 59), false},
        {"6 ends 1 Oct, a Thursday", 6, At(2026, 10, 1, 2, 0), false},
        {"6 before the end", 6, At(2026, 10, 1, 1, 59), true},
        {"6 starts 1 Apr 2028, a Saturday", 6, At(2028, 4, 1, 2, 0), true},
        {"6 ends 1 Oct 2028, a Sunday", 6, At(2028, 10, 1, 2, 0), false},
        {"7 still on the first Sun of Mar (1 Mar)", 7, At(2026, 3, 1, 12, 0), true},
        {"7 before the end on 8 Mar", 7, At(2026, 3, 8, 1, 59), true},
        {"7 ends first Sun on or after 5 Mar", 7, At(2026, 3, 8, 2, 0), false},
        {"7 before the start", 7, At(2026, 10, 4, 1, 59), false},
        {"7 starts first Sun of Oct", 7, At(2026, 10, 4, 2, 0), true},
        {"8 ends last Sun of Feb", 8, At(2026, 2, 22, 2, 0), false},
        {"8 before the end", 8, At(2026, 2, 22, 1, 59), true},
        {"9 in January", 9, At(2026, 1, 15, 12, 0), true},
        {"9 ends last Sun of Mar", 9, At(2026, 3, 29, 2, 0), false},
        {"9 in July", 9, At(2026, 7, 15, 12, 0), false},
        {"9 starts last Sun of Oct", 9, At(2026, 10, 25, 2, 0), true},
        {"9 in November", 9, At(2026, 11, 1, 12, 0), true},
        {"9 on the last minute of the year", 9, At(2026, 12, 31, 23, 59), true},
        {"10 still on 8 Mar", 10, At(2026, 3, 8, 12, 0), true},
        {"10 ends first Sun on or after 9 Mar", 10, At(2026, 3, 15, 2, 0), false},
        {"10 not yet on first Sun of Oct", 10, At(2026, 10, 4, 12, 0), false},
        {"10 starts first Sun on or after 9 Oct", 10, At(2026, 10, 11, 2, 0), true},
        {"11 ends first Sun on or after 6 Apr", 11, At(2026, 4, 12, 2, 0), false},
        {"11 before the end", 11, At(2026, 4, 12, 1, 59), true},
        {"11 not yet on first Sun of Sep", 11, At(2026, 9, 6, 12, 0), false},
        {"11 starts first Sun on or after 8 Sep", 11, At(2026, 9, 13, 2, 0), true},
        {"0 in summer", 0, At(2026, 7, 1, 12, 0), false},
        {"3 is defined but never in force", 3, At(2026, 7, 1, 12, 0), false},
        {"12 is not a rule", 12, At(2026, 7, 1, 12, 0), false},
        {"-1 as an unsigned code is not a rule", static_cast<unsigned>(-1), At(2026, 7, 1, 12, 0), false},
    };
    for (const DstCase& c : cases) {
        SCOPED_TRACE(c.what);
        // The extra hour is exactly 1/24 day: compare whole values, not formatted text.
        EXPECT_EQ(ApplyDaylightSaving(c.rule, c.standard), c.standard + (c.extraHour ? kHour : 0.0));
    }
}

TEST(ApplyDaylightSaving, Rule1ShowsTheChangeOverAsTheClockReadsIt)
{
    const FixedLocaleFormats formats;
    EXPECT_EQ(formats.ShortTime(ApplyDaylightSaving(1, At(2026, 3, 29, 1, 59))), "01:59");
    EXPECT_EQ(formats.ShortTime(ApplyDaylightSaving(1, At(2026, 3, 29, 2, 0))), "03:00");
    EXPECT_EQ(formats.ShortTime(ApplyDaylightSaving(1, At(2026, 10, 25, 1, 59))), "02:59");
    EXPECT_EQ(formats.ShortTime(ApplyDaylightSaving(1, At(2026, 10, 25, 2, 0))), "02:00");
}

// ---- A city's local time ----

struct LocalTimeCase {
    const char* city;
    TDateTime utc;
    const char* label;
};

TEST(CityLocalTime, AddsTheOffsetAndTheRuleToUtc)
{
    const FixedLocaleFormats formats;
    const std::vector<LocalTimeCase> cases = {
        // Adelaide, +9.5 and rule 9: UTC + 10:30 in the southern summer, + 9:30 in winter.
        {"Adelaide, Australia", At(2026, 1, 15, 12, 0), "22:30"},
        {"Adelaide, Australia", At(2026, 11, 1, 12, 0), "22:30"},
        {"Adelaide, Australia", At(2026, 7, 15, 12, 0), "21:30"},
        // St. John's, -3.5 and rule 2: UTC - 3:30, or - 2:30 from the first Sunday of April.
        {"St. John's, Newfoundland", At(2026, 1, 15, 12, 0), "08:30"},
        {"St. John's, Newfoundland", At(2026, 7, 15, 12, 0), "09:30"},
        // The rule looks at standard time: 05:29 UTC on 5 April is 01:59 in St. John's, still winter.
        {"St. John's, Newfoundland", At(2026, 4, 5, 5, 29), "01:59"},
        {"St. John's, Newfoundland", At(2026, 4, 5, 5, 30), "03:00"},
        // Across the date line: Wellington's 12 hours ahead land on the next day.
        {"Wellington, New Zealand", At(2026, 1, 15, 18, 0), "07:00"},
        {"Bangkok, Thailand", At(2026, 7, 15, 23, 30), "06:30"},
    };
    for (const LocalTimeCase& c : cases) {
        SCOPED_TRACE(std::string(c.city) + " at " + FormatShortDateLongTime(c.utc, formats));
        EXPECT_EQ(CityTimeText(BuiltInCity(c.city), c.utc, formats), c.label);
    }
}

// ---- Row reading ----

TEST(ParseCityRow, ReadsTheColumnsOfAStoredRow)
{
    const auto row =
        ParseCityRow("Amsterdam, Netherlands            +1.0    5     52      1   Last Sun in Mar  / Last Sun in Oct");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->Key, "Amsterdam, Netherlands");
    EXPECT_EQ(row->OffsetHours, 1.0);
    EXPECT_EQ(row->Longitude, 5);
    EXPECT_EQ(row->Latitude, 52);
    EXPECT_EQ(row->DstRule, 1);
}

TEST(ParseCityRow, RefusesRowsThatDoNotConvert)
{
    const std::string good = Row("Foo, Bar", "-3.5", -53, 48, 2);
    ASSERT_TRUE(ParseCityRow(good));
    std::string letters = good;
    letters[41] = 'x'; // a letter among the longitude's digits
    std::string comma = good;
    comma[36] = ','; // "-3,5": the decimal separator is always "."
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"name only", "Foo, Bar"},
        {"cut before the rule", good.substr(0, 54)},
        {"letters in a number column", letters},
        {"decimal comma", comma},
        {"fields separated by tabs", "Foo, Bar\t-3.5\t-53\t48\t2"},
        {"no name", Row("", "+1.0", 5, 52, 1)},
        {"latitude beyond the pole", Row("Foo, Bar", "+1.0", 5, 95, 1)},
        {"longitude beyond 180", Row("Foo, Bar", "+1.0", 200, 52, 1)},
        {"offset beyond 14 hours", Row("Foo, Bar", "+15.0", 5, 52, 1)},
        {"two signs", Row("Foo, Bar", "+-1.0", 5, 52, 1)},
        {"not a number", Row("Foo, Bar", "+inf", 5, 52, 1)},
    };
    for (const auto& [what, row] : cases) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(ParseCityRow(row)) << row;
    }
}

TEST(ParseCityRow, KeepsRuleCodesThatAreNoRule)
{
    // They convert; the rules treat them as "no daylight saving".
    EXPECT_EQ(ParseCityRow(Row("Foo, Bar", "+1.0", 5, 52, -1))->DstRule, -1);
    EXPECT_EQ(ParseCityRow(Row("Foo, Bar", "+1.0", 5, 52, 12))->DstRule, 12);
}

// ---- The built-in table ----

TEST(BuiltInCityRows, UsesEachRuleCodeAsOftenAsTheTableIsMeantTo)
{
    const TStrings rows = BuiltInCityRows();
    ASSERT_EQ(rows.size(), 124u);
    std::map<int, int> uses;
    std::size_t longest = 0;
    for (const std::string& text : rows) {
        const auto row = ParseCityRow(text);
        ASSERT_TRUE(row) << text;
        ++uses[row->DstRule];
        EXPECT_FALSE(MapCityOf(*row).Zone.empty()) << text; // every built-in city has its zone
        longest = std::max(longest, row->Key.size());
    }
    const std::map<int, int> expected = {{0, 56}, {1, 22}, {2, 39}, {5, 1}, {9, 4}, {11, 2}};
    EXPECT_EQ(uses, expected);
    EXPECT_EQ(longest, 29u);
    EXPECT_EQ(CityRowKey(rows.front()), "Amsterdam, Netherlands");
    EXPECT_EQ(CityRowKey(rows.back()), "Winnipeg, Canada");
    EXPECT_EQ(MapCityOf(*FindCityRow(rows, "Kiev, Ukraine")).Zone, "Europe/Kyiv");
}

TEST(BuiltInCityRows, HoldTheKnownCities)
{
    struct Known {
        const char* key;
        double offset;
        int longitude; // east positive, as stored
        int latitude;
        int rule;
    };
    const std::vector<Known> known = {
        {"Amsterdam, Netherlands", 1.0, 5, 52, 1},
        {"Adelaide, Australia", 9.5, 138, -35, 9},
        {"Anchorage, Alaska", -9.0, -149, 61, 2},
        {"Baghdad, Iraq", 3.0, 44, 33, 0},
        {"Bangkok, Thailand", 7.0, 100, 14, 0},
        {"Cairo, Egypt", 2.0, 31, 30, 5},
        {"Honolulu, Hawaii", -10.0, -158, 21, 0}, // no daylight saving
        {"Jerusalem, Israel", 2.0, 35, 32, 1},
        {"Kabul, Afghanistan", 4.5, 69, 35, 0},
        {"Istanbul, Turkey", 3.0, 29, 41, 0},
        {"Moscow, Russia", 3.0, 38, 56, 0},
        {"Novosibirsk, Russia", 7.0, 83, 55, 0},
        {"London, England", 0.0, 0, 52, 1},
        {"Port Stanley, Falkland Is.", -3.0, -59, -51, 0},
        {"Santiago, Chile", -4.0, -71, -33, 11},
        {"St. John's, Newfoundland", -3.5, -53, 48, 2},
        {"Tehran, Iran", 3.5, 51, 36, 0},
        {"Wellington, New Zealand", 12.0, 175, -41, 11},
        {"Brisbane, Australia", 10.0, 153, -28, 0},
        {"Indianapolis, Indiana", -5.0, -86, 40, 2}, // the US dates, not the European ones
        {"Nassau, Bahamas", -5.0, -77, 25, 2},
    };
    const TStrings rows = BuiltInCityRows();
    for (const Known& k : known) {
        SCOPED_TRACE(k.key);
        const auto row = FindCityRow(rows, k.key);
        ASSERT_TRUE(row);
        EXPECT_EQ(row->OffsetHours, k.offset);
        EXPECT_EQ(row->Longitude, k.longitude);
        EXPECT_EQ(row->Latitude, k.latitude);
        EXPECT_EQ(row->DstRule, k.rule);
    }
}

// ---- Matching and the map slots ----

TEST(MapCityOf, GivesTheLabelWestLongitudeAndOffsetInDays)
{
    const TMapCity city = BuiltInCity("Adelaide, Australia");
    EXPECT_EQ(city.Name, "Adelaide");
    EXPECT_EQ(city.Longitude, -138);
    EXPECT_EQ(city.Latitude, -35);
    EXPECT_DOUBLE_EQ(city.UtcOffset, 9.5 / 24);
    EXPECT_EQ(city.DstRule, 9);
    // A name without a comma gives no label, which ends the list on the map.
    EXPECT_EQ(MapCityOf(*ParseCityRow(Row("Atlantis", "+0.0", 0, 0, 0))).Name, "");
}

TEST(FindCityRow, MatchesExactlyAndTheLaterRowWins)
{
    const TStrings table = {
        Row("Foo, Bar", "+1.0", 10, 20, 1), Row("Foo, Bar", "+2.0", 11, 21, 2), Row("Baz, Qux", "+3.0", 12, 22, 6),
        "Baz, Qux                          +4.0   1x     23      0", // broken: not a city
    };
    EXPECT_EQ(FindCityRow(table, "Foo, Bar")->OffsetHours, 2.0);
    EXPECT_EQ(FindCityRow(table, "Baz, Qux")->OffsetHours, 3.0) << "the broken later row is passed over";
    EXPECT_FALSE(FindCityRow(table, "foo, bar")) << "letter case counts";
    EXPECT_FALSE(FindCityRow(table, "Foo"));
    EXPECT_FALSE(FindCityRow(table, ""));
}

TEST(FindCityRow, FindsANameOfFullWidthByItsStoredForm)
{
    // The name fills all 33 name columns: matched on its first 32, offered and stored as its first 31.
    const std::string longName = "Llanfairpwllgwyngyll, North Wales";
    const TStrings table = {Row(longName, "+0.0", -4, 53, 1)};
    const TStrings offered = CityChoiceNames(table);
    ASSERT_EQ(offered, TStrings{longName.substr(0, 31)});
    EXPECT_TRUE(FindCityRow(table, offered.front())) << "a chosen name must be found again";
    EXPECT_TRUE(FindCityRow(table, longName.substr(0, 32)));
}

TEST(CityChoiceNames, OffersEveryCityRowInTableOrder)
{
    const TStrings table = {Row("Zed, Z", "+1.0", 1, 1, 0), "a comment line", Row("Ay, A", "+1.0", 1, 1, 0)};
    EXPECT_EQ(CityChoiceNames(table), (TStrings{"Zed, Z", "Ay, A"}));
    EXPECT_EQ(CityChoiceNames(BuiltInCityRows()).size(), 124u);
}

TEST(MapCitiesOf, FillsTheSlotsInListOrder)
{
    const TMapCities cities = MapCitiesOf({"Amsterdam, Netherlands", "Tokyo, Japan"}, BuiltInCityRows());
    EXPECT_EQ(cities[0].Name, "Amsterdam");
    EXPECT_EQ(cities[0].Longitude, -5);
    EXPECT_EQ(cities[0].Latitude, 52);
    EXPECT_DOUBLE_EQ(cities[0].UtcOffset, 1.0 / 24);
    EXPECT_EQ(cities[0].DstRule, 1);
    EXPECT_EQ(cities[1].Name, "Tokyo");
    EXPECT_EQ(cities[2].Name, "");
}

TEST(MapCitiesOf, LeavesTheSlotOfAnUnknownNameEmpty)
{
    const TMapCities cities = MapCitiesOf({"amsterdam, netherlands", "Tokyo, Japan"}, BuiltInCityRows());
    EXPECT_EQ(cities[0].Name, "");
    EXPECT_EQ(cities[1].Name, "Tokyo");
}

TEST(MapCitiesOf, KeepsTheLastSlotEmptyWhateverTheListHolds)
{
    const TMapCities cities = MapCitiesOf(TStrings(40, "London, England"), BuiltInCityRows());
    EXPECT_EQ(cities[kMaxMapCities - 1].Name, "London");
    EXPECT_EQ(cities[kMapCitySlots - 1].Name, "");
}

// ---- "cities.dat" ----

using ReadCityFileTest = TempFolder;

TEST_F(ReadCityFileTest, ReadsTheRowsOfATable)
{
    const std::string good = Row("Foo, Bar", "+1.0", 10, 20, 1);
    const auto rows = ReadCityFile(Write("cities.dat", "\xEF\xBB\xBF" + good + "\r\n" + good + "   comment\r\n"));
    ASSERT_TRUE(rows);
    EXPECT_EQ(*rows, (TStrings{good, good + "   comment"}));
}

TEST_F(ReadCityFileTest, KeepsALongLineAsOneRow)
{
    const std::string row = Row("Foo, Bar", "+1.0", 10, 20, 1) + std::string(100000, 'c');
    const auto rows = ReadCityFile(Write("cities.dat", row + "\n"));
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 1u);
    EXPECT_EQ(ParseCityRow(rows->front())->DstRule, 1);
}

TEST_F(ReadCityFileTest, RefusesWhatIsNoCityTable)
{
    const std::string good = Row("Foo, Bar", "+1.0", 10, 20, 1) + "\n";
    std::string huge;
    while (huge.size() <= kMaxCityFileBytes)
        huge += good;
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"missing", ""},
        {"a folder", m_folder.File("sub")},
        {"empty", Write("empty.dat", "")},
        {"binary", Write("binary.dat", good + std::string("\0\x01\x02", 3) + good)},
        {"larger than a table can be", Write("huge.dat", huge)},
        {"no row converts", Write("text.dat", "just some\ntext\n")},
    };
    std::filesystem::create_directory(m_folder.Path() / "sub");
    for (const auto& [what, path] : cases) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(ReadCityFile(path.empty() ? m_folder.File("absent.dat") : path));
    }
}

} // namespace
