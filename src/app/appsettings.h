// The settings file "chronivo.ini": the reads and writes the main window and the settings dialog
// make at start, at the first tick, on OK and on exit, each key as the settings table (settingkeys.h)
// describes it. Every read goes to the file (or to a save not yet landed). The writers give the keys
// of one save (an OK, a clock update, a close) as one list of changes, which the caller saves as one
// transaction (SaveIniStrings).
#pragma once

#include "app/inifile.h"
#include "app/mainstate.h"
#include "app/settingkeys.h"
#include "components/Stringhl.h"
#include "platform/localeformats.h"
#include "worldmap/addedcity.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace settings_file {

inline constexpr const char* kFileName = "chronivo.ini";
inline constexpr const char* kHelpFileName = "chronivo.chm";
// A file of this name beside the program makes it keep its settings there (see SettingsFolder).
inline constexpr const char* kPortableMarkerName = "chronivo.portable";
// The HTML help, relative to the program's folder: installed (bin/../share) or a portable copy.
inline constexpr const char* kInstalledHelpFileName = "../share/doc/chronivo/help/index.html";
inline constexpr const char* kPortableHelpFileName = "help/index.html";
// The servers put in the box when NTP or NTS is chosen (the Time protocol's is kTimeServer's default).
inline constexpr const char* kDefaultNtpServer = "pool.ntp.org";
inline constexpr const char* kDefaultNtsServer = "time.cloudflare.com"; // answers worldwide (anycast)
// What a first start, without a settings file, asks.
inline constexpr TimeProtocol kFirstStartProtocol = TimeProtocol::Nts;
inline constexpr const char* kFirstStartTimeServer = kDefaultNtsServer;
// Cities added from the world's cities: one key per city, its list name, holding AddedCityText. Older
// builds never read the section; the city lists hold the names alone, as they always have.
inline constexpr const char* kAddedCities = "Added Cities";

struct WindowPlace {
    int left = 0;
    int top = 0;
};

// "MainWin" "Top" then "Left".
WindowPlace ReadWindowPlace(const std::string& fileName);
// "Display" "Map view", "Font face", "Font size", "Font style", "Show shadow", "Time zones" (off only
// for "0"); sets CitySection.
void ReadDisplaySettings(MainState& state);
// "Clock" "Time server", "Last update", "Update type", "Protocol" (the Time protocol when absent or
// not 0..2, as files written before it behave), "Trusted certificate". A "Last update" that is not
// a number counts as never (0). With no settings file at all (a first start) the protocol and the
// server are kFirstStartProtocol and kFirstStartTimeServer, written at once so that the next start
// keeps them.
void ReadClockSettings(MainState& state);
// "Display" "TrayIcon".
bool ReadTrayMode(const std::string& fileName);
// "MainWin" "Minimized", read at the first tick.
bool ReadMinimized(const std::string& fileName);

// The city list of a map view's section: "City 1", "City 2", … up to the first empty or absent one,
// and no more than maxNames names.
TStrings ReadCityList(const std::string& fileName, const std::string& section, std::size_t maxNames);
// names as "City 1" … "City n" of section, then an empty "City n+1" that ends the list (keys above
// it from a longer list stay in the file, unread).
inifile::Changes CityListChanges(const std::string& section, const TStrings& names);
// The added city stored under name in "Added Cities", or nullopt when none is or its value is no such city.
std::optional<AddedCity> ReadAddedCity(const std::string& fileName, const std::string& name);
// city under its name in "Added Cities".
inifile::Change AddedCityChange(const AddedCity& city);
// After a clock-update attempt: "Clock" "Log" = the recorded time as "c" (the short date and long time),
// two blanks and the message; then "Last update" = the recorded time, days.
inifile::Changes ClockUpdateOutcomeChanges(TDateTime recorded, const std::string& message,
                                           const LocaleFormats& formats);

// A first start (no settings file yet): kFirstStartCities as the world views' list.
inifile::Changes FirstStartChanges();

// At exit: "Minimized" = "1" alone when the window was hidden to the tray; otherwise "Left",
// "Top" and "Minimized" = "0". Without a place (the window system does not tell it) the stored one
// stays.
inifile::Changes WindowOnExitChanges(bool minimized, std::optional<WindowPlace> place);

// The settings dialog's keys.

// "Clock" "Log" as the log button shows it: at most 127 characters, "No information available" when
// absent.
std::string ReadLog(const std::string& fileName);
// The dialog's choices in state: "Display" "TrayIcon"; "Clock" "Update type"; "Display" "Map view",
// "Font face", "Font size", "Font style", "Show shadow", "Time zones"; "Clock" "Time server",
// "Protocol".
inifile::Changes ChoiceChanges(const MainState& state);

} // namespace settings_file
