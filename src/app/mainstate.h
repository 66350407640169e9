// The state of the main window that the rest of the program reads: the map view and its lettering,
// the clock-update settings and the clock tick's own progress. One instance lives for the whole run,
// owned by the main window; core operations take it by reference.
#pragma once

#include "app/settingkeys.h"

#include <string>

struct MainState {
    std::string AppPath;      // folder of the program file, ending in '/'
    std::string SettingsPath; // folder of the settings file, "cities.dat" and "map.bmp", ending in '/'
    std::string IniFileName;  // SettingsPath + "chronivo.ini"
    std::string HelpFileName; // AppPath + "chronivo.chm" when there, else the HTML help installed with the program

    // The choices start at the settings' defaults (app/settingkeys.h) until the file is read.
    MapViewId MapView = settings_file::kMapView.fallback; // any stored number; see worldmap/mapviews.h
    std::string CitySection = CitySectionOf(settings_file::kMapView.fallback);
    std::string MapFontName = settings_file::kFontFace.fallback;
    int MapFontSize = settings_file::kFontSize.fallback; // points
    FontStyle MapFontStyle = settings_file::kFontStyle.fallback;
    bool ShowShadow = settings_file::kShowShadow.fallback;
    bool UseTimeZones = settings_file::kTimeZones.fallback; // city times from the system's zones, not the table's rules

    std::string TimeServer = settings_file::kTimeServer.fallback;
    TimeProtocol Protocol = settings_file::kProtocol.fallback; // how TimeServer is asked
    std::string TrustedCertificate =
        settings_file::kTrustedCertificate.fallback; // a PEM file trusted for NTS besides the system's authorities
    UpdateTypeId UpdateType = settings_file::kUpdateType.fallback; // any stored number; see timesync/updatepolicy.h
    TDateTime LastUpdate = settings_file::kLastUpdate.fallback; // TickTime of the last clock-update attempt; 0 = never
    bool TrayMode = settings_file::kTrayIcon.fallback;

    TDateTime TickTime = 0.0;    // local time of the latest tick
    TDateTime LastMapTime = 0.0; // TickTime of the latest map redraw by the tick
    std::string LastTimeText;    // "hh:nn:ss" last shown
    std::string LastDateText;    // long date last shown
    double LastDateDay = -1e9;   // whole days of the TickTime whose long date is LastDateText
    bool FirstTickDone = false;  // the saved minimized state has been applied
    bool MapReady = false;       // a map frame has been drawn
};
