// The state of the main window that the rest of the program reads: the map view and its lettering,
// the clock-update settings and the clock tick's own progress. One instance lives for the whole run,
// owned by the main window; core operations take it by reference.
#pragma once

#include "base/datetime.h"
#include "timesync/timequery.h"
#include "timesync/updatepolicy.h"
#include "worldmap/mapviews.h"
#include "worldmap/textrenderer.h"

#include <string>

struct MainState {
    std::string AppPath;      // folder of the program file, ending in '/'
    std::string SettingsPath; // folder of the settings file, "cities.dat" and "map.bmp", ending in '/'
    std::string IniFileName;  // SettingsPath + "chronivo.ini"
    std::string HelpFileName; // AppPath + "chronivo.chm" when there, else the HTML help installed with the program

    MapViewId MapView = MapViewId::WorldEurope; // any stored number; see worldmap/mapviews.h
    std::string CitySection = "World Cities";
    std::string MapFontName = "Small Fonts";
    int MapFontSize = 7; // points
    FontStyle MapFontStyle;
    bool ShowShadow = true;
    bool UseTimeZones = false; // city times from the system's time-zone database, not the table's rules

    std::string TimeServer;
    TimeProtocol Protocol = TimeProtocol::Time; // how TimeServer is asked
    std::string TrustedCertificate; // a PEM file trusted for NTS besides the system's authorities
    UpdateTypeId UpdateType = UpdateTypeId::Manually; // any stored number; see timesync/updatepolicy.h
    TDateTime LastUpdate = 0.0; // TickTime at which the last clock-update attempt began; 0 = never
    bool TrayMode = false;

    TDateTime TickTime = 0.0;    // local time of the latest tick
    TDateTime LastMapTime = 0.0; // TickTime of the latest map redraw by the tick
    std::string LastTimeText;    // "hh:nn:ss" last shown
    std::string LastDateText;    // long date last shown
    bool FirstTickDone = false;  // the saved minimized state has been applied
    bool MapReady = false;       // a map frame has been drawn
};
