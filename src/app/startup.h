// The main window's start-up, apart from any widget: its steps in their order, what each reads from
// the settings file and when, and the size the map frames take. The window carries out the steps that
// touch its widgets and pictures through StartUpSteps; the timer is not started here.
#pragma once

#include "app/mainstate.h"

#include <string>

// The window's side of start-up, called by StartUp in the order of its declarations.
class StartUpSteps {
public:
    virtual ~StartUpSteps() = default;
    // Moves the window to (left, top), screen pixels.
    virtual void PlaceWindow(int left, int top) = 0;
    // Puts the world picture in fileName in place of the built-in one (the file exists), then lets
    // pending window messages run once.
    virtual void LoadReplacementMap(const std::string& fileName) = 0;
    // Puts the city table in fileName in place of the built-in one (the file exists).
    virtual void LoadCityFile(const std::string& fileName) = 0;
    // Fills the displayed cities from section state.CitySection.
    virtual void LoadMapCities() = 0;
    virtual void ShowSetClock(bool shown) = 0;
    // The width and height of the world picture now in use, pixels.
    virtual int WorldMapWidth() const = 0;
    virtual int WorldMapHeight() const = 0;
    // Makes the map geometry width × height pixels, and the frame and view bitmaps as much of that as
    // the map area shows; the map area on the window keeps its own place and size.
    virtual void SizeMap(int width, int height) = 0;
    // Builds the picture of view state.MapView.
    virtual void ComposeMapView() = 0;
};

// The folder, ending in a path separator, of the settings file, "cities.dat" and "map.bmp": the
// program's own folder when it already holds "chronivo.ini" or the marker "chronivo.portable" (a
// portable copy), otherwise userFolder (the user's configuration folder, ending in a path separator),
// whatever the rights on the program's folder. Chosen once, before StartUp.
std::string SettingsFolder(const std::string& appPath, const std::string& userFolder);

// The help StartUp picks: "chronivo.chm" beside the program when there, else the HTML help installed
// with the program, else a portable copy's; the ".chm" name when none exists.
std::string HelpFile(const std::string& appPath);

// FormCreate. state.AppPath and state.SettingsPath (each ending in a path separator) must already be
// set. Also makes the decimal separator of the process's number conversions ".".
void StartUp(MainState& state, StartUpSteps& steps);
