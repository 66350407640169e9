// The settings dialog's rules without its widgets: how it is filled from the main window's state,
// the two city lists, the enabling of the server box and of the add and remove buttons, and what
// OK writes.
#include "app/appsettings.h"
#include "app/settingsmodel.h"
#include "app/utils.h"
#include "support/fake_worldcities.h"
#include "support/tempdir.h"
#include "worldmap/citytable.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class SettingsDialogRules : public ::testing::Test {
protected:
    TempDir dir;
    MainState state = [this] {
        MainState s;
        s.IniFileName = dir.File("chronivo.ini");
        s.TimeServer = "time.nist.gov";
        return s;
    }();
    const TStrings table = BuiltInCityRows();
    const TStrings names = CityChoiceNames(table);

    SettingsModel Open() { return SettingsModel(state, table); }

    // "City 1" … of section, as the file now holds them.
    TStrings Stored(const std::string& section) { return settings_file::ReadCityList(state.IniFileName, section, 100); }
    void Store(const std::string& section, const TStrings& list)
    {
        inifile::WriteValues(state.IniFileName, settings_file::CityListChanges(section, list));
    }
};

TEST_F(SettingsDialogRules, ServerBoxFollowsTheUpdateTypeAndTheServerIsKeptInEveryMode)
{
    state.UpdateType = UpdateTypeId{0};
    SettingsModel model = Open();
    EXPECT_EQ(model.UpdateType(), UpdateTypeId::Never);
    EXPECT_FALSE(model.ServerEnabled());
    for (UpdateTypeId type : {UpdateTypeId::Manually, UpdateTypeId::Automatically, UpdateTypeId::WhileDialUp}) {
        model.CheckUpdateType(type);
        EXPECT_TRUE(model.ServerEnabled()) << static_cast<int>(type);
    }
    model.CheckUpdateType(UpdateTypeId::Never);
    model.timeServer = "time-b-g.nist.gov";
    model.Apply(state);
    EXPECT_EQ(state.UpdateType, UpdateTypeId{0});
    EXPECT_EQ(ReadIniString(state.IniFileName, "Clock", "Time server", 32), "time-b-g.nist.gov");
}

TEST_F(SettingsDialogRules, ValuesOutOfRangeCheckNothingAndOkKeepsThem)
{
    state.UpdateType = UpdateTypeId{7};
    state.MapView = MapViewId{9};
    state.CitySection = "World Cities";
    Store("World Cities", {"Tokyo, Japan"});
    SettingsModel model = Open();
    EXPECT_EQ(model.UpdateType(), std::nullopt);
    EXPECT_EQ(model.MapView(), std::nullopt);
    EXPECT_TRUE(model.ServerEnabled());
    EXPECT_EQ(model.DisplayCities(), TStrings{"Tokyo, Japan"}) << "the list of the section in use";
    const SettingsApplied applied = model.Apply(state);
    EXPECT_FALSE(applied.mapViewChanged);
    EXPECT_EQ(state.UpdateType, UpdateTypeId{7});
    EXPECT_EQ(state.MapView, MapViewId{9});
    EXPECT_EQ(ReadIniString(state.IniFileName, "Display", "Map view", 16), "9");
}

TEST_F(SettingsDialogRules, ListsAreSortedAndTheFullOneComesFromTheTableInUse)
{
    Store("World Cities", {"Tokyo, Japan", "amsterdam, netherlands", "London, England"});
    SettingsModel model = Open();
    ASSERT_EQ(model.AllCities().size(), names.size());
    EXPECT_TRUE(std::is_sorted(model.AllCities().begin(), model.AllCities().end(), CityNameLess));
    // Names are shown as the table spells them.
    EXPECT_EQ(model.DisplayCities(), (TStrings{"Amsterdam, Netherlands", "London, England", "Tokyo, Japan"}));

    const TStrings ownTable{"Zed, Nowhere                      +1.0    0     0      0",
                            "alpha, Somewhere                  +2.0   10    10      0", "not a city row",
                            "Zed, Nowhere                      +1.0    0     0      0"};
    EXPECT_EQ(SettingsModel(state, ownTable).AllCities(), (TStrings{"alpha, Somewhere", "Zed, Nowhere"}));
}

TEST_F(SettingsDialogRules, AddingIgnoresCaseDuplicatesAndUnknownNamesAndNothingSelected)
{
    Store("World Cities", {"London, England"});
    SettingsModel model = Open();
    EXPECT_FALSE(model.Add(std::string("LONDON, ENGLAND")));
    EXPECT_FALSE(model.Add(std::string("Atlantis, Nowhere")));
    EXPECT_FALSE(model.Add(std::nullopt));
    EXPECT_FALSE(model.Remove(std::nullopt));
    EXPECT_TRUE(model.Add(std::string("Cairo, Egypt")));
    EXPECT_EQ(model.DisplayCities(), (TStrings{"Cairo, Egypt", "London, England"}));
    EXPECT_TRUE(model.Remove(std::string("London, England")));
    EXPECT_EQ(model.DisplayCities(), TStrings{"Cairo, Egypt"});
}

TEST_F(SettingsDialogRules, AddIsEnabledBelowThirtyOneCitiesAndRemoveWithAtLeastOne)
{
    Store("World Cities", TStrings(names.begin(), names.begin() + 30));
    SettingsModel model = Open();
    EXPECT_TRUE(model.AddEnabled());
    EXPECT_TRUE(model.DelEnabled());
    ASSERT_TRUE(model.Add(names[30]));
    EXPECT_FALSE(model.AddEnabled());
    // The rule holds for any way in, a double-click included.
    EXPECT_FALSE(model.Add(names[31]));
    EXPECT_EQ(model.DisplayCities().size(), kMaxDisplayCities);
    ASSERT_TRUE(model.Remove(names[0]));
    EXPECT_TRUE(model.AddEnabled());

    state.MapView = MapViewId{3};
    state.CitySection = "EU Cities";
    SettingsModel empty = Open();
    EXPECT_TRUE(empty.DisplayCities().empty());
    EXPECT_FALSE(empty.DelEnabled());
}

TEST_F(SettingsDialogRules, SwitchingViewsReloadsTheirListsFromTheFile)
{
    Store("World Cities", TStrings(names.begin(), names.begin() + 31));
    Store("EU Cities", {"Paris, France"});
    SettingsModel model = Open();
    EXPECT_FALSE(model.AddEnabled());
    model.CheckMapView(MapViewId::Europe);
    EXPECT_EQ(model.DisplayCities(), TStrings{"Paris, France"});
    // A view with no row (no button) checks nothing: the one checked stays, with its list.
    model.CheckMapView(MapViewId{5});
    EXPECT_EQ(model.MapView(), MapViewId::Europe);
    EXPECT_EQ(model.DisplayCities(), TStrings{"Paris, France"});
    EXPECT_TRUE(model.AddEnabled());
    model.CheckMapView(MapViewId::NorthAmerica);
    EXPECT_TRUE(model.DisplayCities().empty());

    // The three world views share one list; an edit is lost by switching away and back.
    model.CheckMapView(MapViewId::WorldEurope);
    model.Remove(names[0]);
    model.CheckMapView(MapViewId::WorldAmerica);
    EXPECT_EQ(model.DisplayCities().size(), 31u);
    model.CheckMapView(MapViewId::WorldAustralasia);
    EXPECT_EQ(model.DisplayCities().size(), 31u);
}

TEST_F(SettingsDialogRules, StoredListWithBadEntriesIsShownAndWrittenBackSound)
{
    // Unknown names, a duplicate in another case, then more than 31 good names.
    TStrings stored{"Atlantis, Nowhere", "Tokyo, Japan", "TOKYO, JAPAN"};
    stored.insert(stored.end(), names.begin() + 40, names.begin() + 80);
    Store("World Cities", stored);
    SettingsModel model = Open();
    ASSERT_EQ(model.DisplayCities().size(), kMaxDisplayCities);
    // The first 31 good names, those the map shows.
    TStrings expected{"Tokyo, Japan"};
    expected.insert(expected.end(), names.begin() + 40, names.begin() + 70);
    std::sort(expected.begin(), expected.end(), CityNameLess);
    EXPECT_EQ(model.DisplayCities(), expected);

    model.Apply(state);
    EXPECT_EQ(Stored("World Cities"), expected);
    EXPECT_EQ(ReadIniString(state.IniFileName, "World Cities", "City 32", 64, "<absent>"), "");
}

TEST_F(SettingsDialogRules, OkWritesEveryKeyInOrderEvenUnchanged)
{
    state.MapFontStyle = settings_file::ParseFontStyle("UB");
    SettingsModel model = Open();
    model.Add(std::string("London, England"));
    const SettingsApplied applied = model.Apply(state);
    EXPECT_FALSE(applied.trayModeChanged);
    EXPECT_FALSE(applied.mapViewChanged);
    std::string reason;
    ASSERT_EQ(FinishIniSaves(std::chrono::seconds(10), reason), SavesFinished::Saved) << reason;
    // A fresh file holds its keys in the order they were written.
    EXPECT_EQ(dir.Read("chronivo.ini"), "[Display]\nTrayIcon=0\nMap view=0\nFont face=Small Fonts\nFont size=7\n"
                                        "Font style=BU\nShow shadow=1\nTime zones=1\n"
                                        "[Clock]\nUpdate type=1\nTime server=time.nist.gov\nProtocol=0\n"
                                        "[World Cities]\nCity 1=London, England\nCity 2=\n");
}

// A server picked from one protocol's list follows the protocol; a name the user typed stays.
TEST_F(SettingsDialogRules, ChoosingAProtocolChangesOnlyAServerTakenFromTheList)
{
    struct Case {
        const char* server;
        TimeProtocol to;
        const char* expected;
    };
    const Case cases[] = {
        {"time-a-g.nist.gov", TimeProtocol::Nts, "time.cloudflare.com"},
        {"time.nist.gov", TimeProtocol::Ntp, "time.nist.gov"}, // offered by both
        {"ntp.example.org", TimeProtocol::Nts, "ntp.example.org"},
    };
    for (const Case& c : cases) {
        state.TimeServer = c.server;
        SettingsModel model = Open();
        model.ChooseProtocol(c.to);
        model.Apply(state);
        EXPECT_EQ(state.TimeServer, c.expected) << c.server;
        EXPECT_EQ(state.Protocol, c.to);
        EXPECT_EQ(ReadIniString(state.IniFileName, "Clock", "Protocol", 16, ""),
                  std::to_string(static_cast<int>(c.to)));
    }
}

TEST_F(SettingsDialogRules, OkCopiesTheChoicesAndSaysWhatTheWindowMustRedo)
{
    Store("World Cities", {"A", "B", "C", "D", "E"});
    SettingsModel model = Open();
    model.trayMode = true;
    model.showShadow = false;
    model.useTimeZones = true;
    model.font = {"Liberation Sans", 9, {true, false, false}};
    model.CheckMapView(MapViewId::NorthAmerica);
    model.Add(std::string("Chicago, Illinois"));
    model.CheckUpdateType(UpdateTypeId::WhileDialUp);
    const SettingsApplied applied = model.Apply(state);
    EXPECT_TRUE(applied.trayModeChanged);
    EXPECT_TRUE(applied.mapViewChanged);
    EXPECT_TRUE(state.TrayMode);
    EXPECT_FALSE(state.ShowShadow);
    EXPECT_TRUE(state.UseTimeZones);
    EXPECT_EQ(ReadIniString(state.IniFileName, "Display", "Time zones", 16, ""), "1");
    EXPECT_EQ(state.MapView, MapViewId{4});
    EXPECT_EQ(state.CitySection, "USA Cities");
    EXPECT_EQ(state.UpdateType, UpdateTypeId{3});
    EXPECT_EQ(state.MapFontName, "Liberation Sans");
    EXPECT_EQ(state.MapFontSize, 9);
    EXPECT_EQ(Stored("USA Cities"), TStrings{"Chicago, Illinois"});
    // The world list is not rewritten, so its names stay as they were.
    EXPECT_EQ(Stored("World Cities").size(), 5u);
}

TEST_F(SettingsDialogRules, ShortenedListEndsWithAnEmptyKeyAndLeavesTheRestUnread)
{
    Store("World Cities", TStrings(names.begin(), names.begin() + 5));
    SettingsModel model = Open();
    for (int n = 0; n < 3; ++n)
        model.Remove(names[static_cast<std::size_t>(n)]);
    ASSERT_EQ(model.DisplayCities().size(), 2u);
    model.Apply(state);
    EXPECT_EQ(Stored("World Cities"), model.DisplayCities());
    EXPECT_EQ(ReadIniString(state.IniFileName, "World Cities", "City 3", 64, "<absent>"), "");
    EXPECT_EQ(ReadIniString(state.IniFileName, "World Cities", "City 5", 64), names[4]);
}

TEST_F(SettingsDialogRules, UnwritableFileStillChangesTheSettingsInForce)
{
    std::filesystem::create_directory(state.IniFileName);
    SettingsModel model = Open();
    model.CheckUpdateType(UpdateTypeId::Never);
    model.CheckMapView(MapViewId::Europe);
    model.Apply(state);
    EXPECT_EQ(state.UpdateType, UpdateTypeId{0});
    EXPECT_EQ(state.MapView, MapViewId{3});
    EXPECT_EQ(state.CitySection, "EU Cities");
}

TEST_F(SettingsDialogRules, LogShowsItsDefaultItsEmptyValueAndIsCut)
{
    EXPECT_EQ(Open().LogText(), "No information available");
    WriteIniString(state.IniFileName, "Clock", "Log", "");
    EXPECT_EQ(Open().LogText(), "");
    WriteIniString(state.IniFileName, "Clock", "Log", std::string(300, 'x'));
    EXPECT_EQ(Open().LogText(), std::string(127, 'x'));
}

TEST_F(SettingsDialogRules, FilterFindsTheTextAnywhereWhateverTheCase)
{
    const TStrings found = Open().FilteredCities("YORK");
    EXPECT_EQ(found, TStrings{"New York, New York"});
    EXPECT_EQ(Open().FilteredCities("").size(), names.size());
}

// A world city is found by the filter, added like a row and stored in its own section; the list keeps
// its format, with the table's cities first, so the old way of reading it still finds every one of them.
TEST_F(SettingsDialogRules, WorldCityIsSearchedAddedAndStoredBesideTheList)
{
    FewWorldCities world;
    state.CitySection = "World Cities";
    Store("World Cities", {"London, England"});
    SettingsModel model(state, table, &world);
    EXPECT_EQ(model.WorldMatches("TROMSO"), TStrings{"Tromsø, Norway"});
    EXPECT_EQ(model.WorldMatches(""), TStrings{});
    EXPECT_FALSE(model.Add(std::string("Oslo, Norway, Norway")));
    EXPECT_TRUE(model.Add(std::string("Tromsø, Norway")));
    EXPECT_FALSE(model.Add(std::string("TROMSø, norway"))) << "already displayed";
    EXPECT_TRUE(model.IsAddedCity("Tromsø, Norway"));
    EXPECT_TRUE(model.Add(std::string("Amsterdam, Netherlands")));
    model.Apply(state);

    EXPECT_EQ(ReadIniString(state.IniFileName, "Added Cities", "Tromsø, Norway", 128),
              "69.666667 18.916667 Europe/Oslo");
    EXPECT_EQ(Stored("World Cities"), (TStrings{"Amsterdam, Netherlands", "London, England", "Tromsø, Norway"}));
    const TMapCities oldWay = MapCitiesOf(Stored("World Cities"), table);
    EXPECT_EQ(oldWay[1].Name, "London");
    EXPECT_EQ(oldWay[2].Name, "") << "the added city's slot, after every table city";

    // Opened again, without any database: the added city is still displayed, from its section.
    const SettingsModel again(state, table);
    EXPECT_EQ(again.DisplayCities(), (TStrings{"Amsterdam, Netherlands", "London, England", "Tromsø, Norway"}));
    EXPECT_TRUE(again.IsAddedCity("Tromsø, Norway"));
}

// A build or a system without the database offers the table alone; a stored name that is neither in
// the table nor in "Added Cities" is dropped as before.
TEST_F(SettingsDialogRules, WithoutTheDatabaseOnlyTheTableIsOffered)
{
    Store("World Cities", {"Tromsø, Norway", "Tokyo, Japan"});
    SettingsModel model = Open();
    EXPECT_EQ(model.WorldMatches("tromso"), TStrings{});
    EXPECT_FALSE(model.Add(std::string("Hobart, Tasmania, Australia")));
    EXPECT_EQ(model.DisplayCities(), TStrings{"Tokyo, Japan"});
}

} // namespace
