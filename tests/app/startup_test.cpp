// Start-up's order and reads, with a window that only records what it is asked to do.
#include "app/startup.h"

#include "app/appsettings.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace {

class RecordingSteps final : public StartUpSteps {
public:
    explicit RecordingSteps(const MainState& state) : m_state(state) {}

    void PlaceWindow(int left, int top) override { Log("place " + Pair(left, top)); }
    void LoadReplacementMap(const std::string& fileName) override
    {
        Log("map " + fileName);
        width = 400;
        height = 200;
    }
    void LoadCityFile(const std::string& fileName) override { Log("cities " + fileName); }
    void LoadMapCities() override { Log("map cities of " + m_state.CitySection); }
    void ShowSetClock(bool shown) override { Log(shown ? "set clock shown" : "set clock hidden"); }
    int WorldMapWidth() const override { return width; }
    int WorldMapHeight() const override { return height; }
    void SizeMap(int w, int h) override { Log("size " + Pair(w, h)); }
    void ComposeMapView() override { Log("compose view " + std::to_string(static_cast<int>(m_state.MapView))); }

    std::vector<std::string> log;
    int width = 316;
    int height = 158;

private:
    static std::string Pair(int a, int b) { return std::to_string(a) + "," + std::to_string(b); }
    void Log(const std::string& line) { log.push_back(line); }
    const MainState& m_state;
};

TEST(StartUp, StepsInOrderWithTheSettingsReadBeforeTheyAreUsed)
{
    TempDir folder;
    TempDir program;
    folder.Write("chronivo.ini", "[MainWin]\nLeft=25\nTop=-7\nMinimized=1\n"
                                 "[Display]\nMap view=3\nTrayIcon=1\n[Clock]\nUpdate type=0\n");
    folder.Write("map.bmp", "whatever it holds");
    const std::string app = folder.Path().string() + '/';
    const std::string programPath = program.Path().string() + '/';

    MainState state;
    state.AppPath = programPath;
    state.SettingsPath = app;
    state.FirstTickDone = true;
    state.LastMapTime = 5;
    state.MapReady = true;
    RecordingSteps steps(state);
    StartUp(state, steps);

    EXPECT_EQ(steps.log, (std::vector<std::string>{"place 25,-7", "map " + app + "map.bmp", "map cities of EU Cities",
                                                   "set clock hidden", "size 400,200", "compose view 3"}))
        << "no cities.dat, no city file step; the map area takes the replacement picture's size";
    EXPECT_EQ(state.IniFileName, app + "chronivo.ini");
    EXPECT_EQ(state.HelpFileName, programPath + "chronivo.chm") << "the help belongs to the program";
    EXPECT_TRUE(state.TrayMode);
    EXPECT_FALSE(state.FirstTickDone) << "the saved minimized state waits for the first tick";
    EXPECT_EQ(state.LastMapTime, 0.0);
    EXPECT_FALSE(state.MapReady);
}

TEST(StartUp, AFirstStartShowsEightCitiesAndAnExistingFileKeepsItsLists)
{
    for (const bool existing : {false, true}) {
        TempDir folder;
        if (existing)
            folder.Write("chronivo.ini", "[World Cities]\nCity 1=\n");
        MainState state;
        state.AppPath = state.SettingsPath = folder.Path().string() + '/';
        RecordingSteps steps(state);
        StartUp(state, steps);
        const TStrings cities = settings_file::ReadCityList(state.IniFileName, state.CitySection, 31);
        EXPECT_EQ(cities, existing ? TStrings{} : settings_file::kFirstStartCities) << "existing file: " << existing;
        EXPECT_TRUE(state.ShowShadow);
    }
}

TEST(StartUp, SettingsStayBesideAPortableProgramElseGoToTheUserFolder)
{
    const std::string user = "/home/u/.config/chronivo/";
    TempDir bin;
    const std::string app = bin.Path().string() + '/';
    EXPECT_EQ(SettingsFolder(app, user), user) << "a writable folder alone is no portable copy";
    EXPECT_EQ(SettingsFolder(app, ""), app) << "no user folder: beside the program";
    bin.Write("chronivo.portable", "");
    EXPECT_EQ(SettingsFolder(app, user), app) << "the marker";
    std::filesystem::remove(bin.Path() / "chronivo.portable");
    bin.Write("chronivo.ini", "");
    EXPECT_EQ(SettingsFolder(app, user), app) << "a settings file already there";
}

TEST(StartUp, HelpBesideTheProgramWinsOverTheInstalledHtmlHelp)
{
    TempDir prefix;
    std::filesystem::create_directories(prefix.Path() / "share/doc/chronivo/help");
    std::filesystem::create_directories(prefix.Path() / "bin");
    prefix.Write("share/doc/chronivo/help/index.html", "<html></html>");
    const std::string bin = (prefix.Path() / "bin").string() + '/';
    // Compared as paths: on Windows the found file is spelt with the system's separators.
    using Path = std::filesystem::path;
    EXPECT_EQ(Path(HelpFile(bin)), prefix.Path() / "share/doc/chronivo/help/index.html");
    prefix.Write("bin/chronivo.chm", "chm");
    EXPECT_EQ(Path(HelpFile(bin)), Path(bin + "chronivo.chm"));
    TempDir bare;
    EXPECT_EQ(HelpFile(bare.Path().string() + '/'), bare.Path().string() + "/chronivo.chm") << "none: as before";
}

} // namespace
