#include "app/startup.h"

#include "app/appsettings.h"
#include "app/mainwindowrules.h"
#include "platform/filestore.h"
#include "timesync/updatepolicy.h"
#include "worldmap/citytable.h"
#include "worldmap/mappictures.h"

#include <clocale>
#include <filesystem>

std::string SettingsFolder(const std::string& appPath, const std::string& userFolder)
{
    using namespace settings_file;
    // An installed program's folder may well be writable (a prefix in the home folder, root): only a
    // copy that says it is portable keeps its settings beside itself.
    const bool portable = PathExists(appPath + kFileName) || PathExists(appPath + kPortableMarkerName);
    return portable || userFolder.empty() ? appPath : userFolder;
}

std::string HelpFile(const std::string& appPath)
{
    using namespace settings_file;
    std::error_code ignored;
    for (const char* name : {kHelpFileName, kInstalledHelpFileName, kPortableHelpFileName})
        if (std::filesystem::is_regular_file(appPath + name, ignored))
            return std::filesystem::path(appPath + name).lexically_normal().string();
    return appPath + kHelpFileName;
}

void StartUp(MainState& state, StartUpSteps& steps)
{
    using namespace settings_file;

    state.FirstTickDone = false;
    // Numbers in the settings file and the city table always use ".", whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    state.LastMapTime = 0;
    state.MapReady = false;

    state.IniFileName = state.SettingsPath + kFileName;
    state.HelpFileName = HelpFile(state.AppPath);

    // A settings file that exists keeps its lists as they are, empty ones included.
    if (!PathExists(state.IniFileName))
        SaveIniStrings(state.IniFileName, FirstStartChanges());

    const WindowPlace place = ReadWindowPlace(state.IniFileName);
    steps.PlaceWindow(place.left, place.top);

    if (const std::string mapFile = state.SettingsPath + kReplacementMapFileName; PathExists(mapFile))
        steps.LoadReplacementMap(mapFile);
    if (const std::string cityFile = state.SettingsPath + kCityFileName; PathExists(cityFile))
        steps.LoadCityFile(cityFile);

    ReadDisplaySettings(state);
    steps.LoadMapCities();

    ReadClockSettings(state);
    steps.ShowSetClock(UpdateTypeOf(state.UpdateType).setClockButton);

    state.TrayMode = ReadTrayMode(state.IniFileName);

    // The frames and the map geometry take the world picture's size.
    steps.SizeMap(steps.WorldMapWidth(), steps.WorldMapHeight());
    steps.ComposeMapView();
}
