// The settings dialog without its widgets: the working copy of every choice the dialog offers, the
// rules of its two city lists, the enabling of its controls and what OK does with the choices. The
// dialog's widgets only show this state and pass the user's actions in; checking a radio button,
// by a click or from code, is one call here.
//
// The full list holds the names the city table offers (CityChoiceNames), the displayed list the
// names stored for the map view checked. Both are kept in alphabetical order, compared without
// regard to case. The displayed list only ever holds names of the full list, each once, and at
// most kMaxDisplayCities of them: a stored list with unknown names, duplicates or too many names is
// shown (and written back on OK) without them.
//
// Beside the table, the world's cities (platform/worldcities.h) may be searched and added: a stored
// name the table lacks is shown when "Added Cities" holds it, and OK writes each added city displayed
// there before the list.
#pragma once

#include "app/mainstate.h"
#include "components/Stringhl.h"
#include "worldmap/citysearch.h"
#include "worldmap/mapcity.h"
#include "worldmap/textrenderer.h"

#include <array>
#include <cstddef>
#include <future>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class WorldCitySource;

inline constexpr std::size_t kMaxDisplayCities = kMaxMapCities;
// The world's cities offered for one filter text at most.
inline constexpr std::size_t kMaxWorldMatches = 100;
// Longest server name the settings file gives back whole ("Time server" is read with buffer 32).
inline constexpr std::size_t kMaxTimeServerLength = 31;
// Sizes the map-font dialog offers, points.
inline constexpr int kMinMapFontPoints = 5;
inline constexpr int kMaxMapFontPoints = 10;
// The drop-down lists of the server box, alphabetical. Public hosts that answer the Time protocol
// on TCP port 37:
inline constexpr std::array<const char*, 7> kTimeServerList{
    "time-a-g.nist.gov", "time-a-wwv.nist.gov", "time-b-g.nist.gov",    "time-b-wwv.nist.gov",
    "time-c-g.nist.gov", "time.nist.gov",       "utcnist.colorado.edu",
};
// ... public NTP services (UDP 123):
inline constexpr std::array<const char*, 4> kNtpServerList{
    "pool.ntp.org",
    "time.cloudflare.com",
    "time.nist.gov",
    "time.windows.com",
};
// ... and public NTS services (key exchange on TCP 4460), run by national time laboratories and
// by operators of large networks:
inline constexpr std::array<const char*, 5> kNtsServerList{
    "nts.netnod.se", "ntppool1.time.nl", "ptbtime1.ptb.de", "ptbtime2.ptb.de", "time.cloudflare.com",
};

// The servers offered for a protocol, and the one put in the box when the protocol is chosen.
std::span<const char* const> TimeServerChoices(TimeProtocol protocol);
const char* DefaultTimeServer(TimeProtocol protocol);

// The lettering font as the dialog holds it: the map's own (worldmap/textrenderer.h).
using MapFontChoice = MapFont;

// What the main window has to do after OK, besides reloading and redrawing the map.
struct SettingsApplied {
    bool trayModeChanged = false; // enter or leave tray mode, as state.TrayMode now says
    bool mapViewChanged = false;  // compose the new view's picture
};

class SettingsModel {
public:
    // The dialog filled from the main window's state: the check boxes, the update type and map view
    // checked (none for a value out of range), the server text, the font, the full list from the
    // city table rows and the displayed list of the checked view, read from state.IniFileName.
    // worldCities (none: the table only) is read and indexed on a thread of its own from now on, so
    // that the first search finds it ready; nothing else may use it until this model is gone.
    SettingsModel(const MainState& state, const TStrings& cityTable, WorldCitySource* worldCities = nullptr);
    ~SettingsModel();

    bool trayMode = false;
    bool showShadow = true;
    bool useTimeZones = true;
    std::string timeServer;
    MapFontChoice font;

    // The radio button checked in each group (a row of kUpdateTypes, of kMapViews), or nullopt for
    // none.
    std::optional<UpdateTypeId> UpdateType() const { return m_updateType; }
    std::optional<MapViewId> MapView() const { return m_mapView; }
    TimeProtocol Protocol() const { return m_protocol; }
    // Chooses the protocol; a server taken from the old protocol's list that the new one does not
    // offer becomes the new one's default, while a name the user typed is kept.
    void ChooseProtocol(TimeProtocol protocol);

    // Checking a radio button, with its click event. A type or view with no row in its table does
    // nothing. A new map view reloads the displayed list from the settings file, dropping edits.
    void CheckUpdateType(UpdateTypeId type);
    void CheckMapView(MapViewId view);

    // Adds name, when it is on the full list (or an added city, or one of the world's cities), not
    // displayed (compared without case) and the list is not full; true when it did. nullopt: nothing
    // selected, nothing added.
    bool Add(const std::optional<std::string>& name);
    // Removes name from the displayed list; true when it was there.
    bool Remove(const std::optional<std::string>& name);

    const TStrings& AllCities() const { return m_allCities; }
    const TStrings& DisplayCities() const { return m_displayCities; }
    // The names of the full list that hold filter anywhere, compared without regard to case.
    TStrings FilteredCities(const std::string& filter) const;
    // The names of the world's cities beside the table that match filter (WorldCityIndex::Search), at
    // most kMaxWorldMatches; none for an empty filter or without world cities.
    TStrings WorldMatches(const std::string& filter);
    // True when the world's cities are searched beside the table.
    bool HasWorldCities() const { return m_worldReading.valid() || m_world; }
    // True when name is a city added from the world's cities rather than a table name.
    bool IsAddedCity(const std::string& name) const;

    bool ServerEnabled() const { return m_serverEnabled; }
    bool AddEnabled() const { return m_displayCities.size() < kMaxDisplayCities; }
    bool DelEnabled() const { return !m_displayCities.empty(); }

    // What the log button shows: "Log" of section "Clock", at most 127 characters.
    std::string LogText() const;

    // OK: copies the choices into state and writes them to the settings file, key by key, each key
    // even when unchanged, then the displayed list under the section of the view now chosen. A
    // group with nothing checked leaves its value as it was. A failed write changes nothing here:
    // the choices are in force until the program ends.
    SettingsApplied Apply(MainState& state) const;

private:
    // Reloads the displayed list of the checked view (of citySection when none is checked).
    void LoadDisplayCities();
    // The full list's spelling of name, found without regard to case.
    std::optional<std::string> TableName(const std::string& name) const;
    // The added city of that name (the stored ones and those chosen), or nullptr.
    const AddedCity* Added(const std::string& name) const;
    // True when name is an added city known here or stored in "Added Cities" (then known from now on).
    bool KnowAdded(const std::string& name);
    // The index of the world's cities, waited for at its first use; nullptr without them.
    const WorldCityIndex* World();

    std::string m_iniFileName;
    std::string m_citySection;
    std::optional<UpdateTypeId> m_updateType;
    TimeProtocol m_protocol = TimeProtocol::Time;
    std::optional<MapViewId> m_mapView;
    bool m_serverEnabled = true;
    TStrings m_allCities;
    TStrings m_displayCities;
    std::vector<AddedCity> m_added;
    std::future<std::unique_ptr<WorldCityIndex>> m_worldReading;
    std::unique_ptr<WorldCityIndex> m_world;
};

// Orders names alphabetically without regard to ASCII case; names equal but for case by their bytes.
bool CityNameLess(const std::string& a, const std::string& b);
// Equal without regard to ASCII case.
bool SameCityName(const std::string& a, const std::string& b);
