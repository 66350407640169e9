#include "app/startup.h"

#include "app/appsettings.h"
#include "app/mainwindowrules.h"
#include "platform/filestore.h"
#include "timesync/updatepolicy.h"
#include "worldmap/citytable.h"
#include "worldmap/mappictures.h"

#include <clocale>

void StartUp(MainState& state, StartUpSteps& steps)
{
    using namespace settings_file;

    state.FirstTickDone = false;
    // Numbers in the settings file and the city table always use ".", whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    state.LastMapTime = 0;
    state.MapReady = false;

    state.IniFileName = state.AppPath + kFileName;
    state.HelpFileName = state.AppPath + kHelpFileName;

    const WindowPlace place = ReadWindowPlace(state.IniFileName);
    steps.PlaceWindow(place.left, place.top);

    if (const std::string mapFile = state.AppPath + kReplacementMapFileName; PathExists(mapFile))
        steps.LoadReplacementMap(mapFile);
    if (const std::string cityFile = state.AppPath + kCityFileName; PathExists(cityFile))
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
