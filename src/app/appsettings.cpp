#include "app/appsettings.h"

#include "app/utils.h"

#include <charconv>

namespace settings_file {

int ToIntDef(const std::string& text, int fallback)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc{} && end == last && first != last ? value : fallback;
}

int ReadInteger(const std::string& fileName, const char* section, const char* key, int fallback)
{
    return ToIntDef(ReadIniString(fileName, section, key, 16, std::to_string(fallback)), fallback);
}

bool ReadExactlyOne(const std::string& fileName, const char* section, const char* key)
{
    return ReadIniString(fileName, section, key, 16, "0") == "1";
}

FontStyle ParseFontStyle(const std::string& text)
{
    auto has = [&text](char letter) { return text.find(letter) != std::string::npos; };
    return FontStyle{has('B'), has('I'), has('U')};
}

std::string FontStyleText(FontStyle style)
{
    std::string text;
    if (style.bold)
        text += 'B';
    if (style.italic)
        text += 'I';
    if (style.underline)
        text += 'U';
    return text;
}

WindowPlace ReadWindowPlace(const std::string& fileName)
{
    WindowPlace place;
    place.top = ReadInteger(fileName, kMainWin, "Top", 0);
    place.left = ReadInteger(fileName, kMainWin, "Left", 0);
    return place;
}

void ReadDisplaySettings(MainState& state)
{
    const std::string& file = state.IniFileName;
    state.MapView = MapViewId{ReadInteger(file, kDisplay, "Map view", 0)};
    state.MapFontName = ReadIniString(file, kDisplay, "Font face", 32, "Small Fonts");
    state.MapFontSize = ReadInteger(file, kDisplay, "Font size", 7);
    state.MapFontStyle = ParseFontStyle(ReadIniString(file, kDisplay, "Font style", 16));
    state.ShowShadow = ReadInteger(file, kDisplay, "Show shadow", 1) == 1;
    state.UseTimeZones = ReadExactlyOne(file, kDisplay, "Time zones");
    state.CitySection = CitySectionOf(state.MapView);
}

void ReadClockSettings(MainState& state)
{
    const std::string& file = state.IniFileName;
    state.TimeServer = ReadIniString(file, kClock, "Time server", 32, kDefaultTimeServer);
    double lastUpdate = 0.0;
    state.LastUpdate = TryParseDecimal(ReadIniString(file, kClock, "Last update", 32, "0"), lastUpdate) ? lastUpdate
                                                                                                          : 0.0;
    state.UpdateType = UpdateTypeId{ReadInteger(file, kClock, "Update type", 1)};
}

bool ReadTrayMode(const std::string& fileName)
{
    return ReadExactlyOne(fileName, kDisplay, "TrayIcon");
}

bool ReadMinimized(const std::string& fileName)
{
    return ReadExactlyOne(fileName, kMainWin, "Minimized");
}

namespace {

// Buffer of the settings reader for a "City n" key.
constexpr std::size_t kCityKeyBuffer = 64;

std::string CityKey(std::size_t position)
{
    return "City " + std::to_string(position);
}

} // namespace

TStrings ReadCityList(const std::string& fileName, const std::string& section, std::size_t maxNames)
{
    TStrings names;
    while (names.size() < maxNames) {
        std::string name = ReadIniString(fileName, section, CityKey(names.size() + 1), kCityKeyBuffer);
        if (name.empty())
            break;
        names.push_back(std::move(name));
    }
    return names;
}

inifile::Changes CityListChanges(const std::string& section, const TStrings& names)
{
    inifile::Changes changes;
    for (std::size_t i = 0; i < names.size(); ++i)
        changes.push_back({section, CityKey(i + 1), names[i]});
    changes.push_back({section, CityKey(names.size() + 1), ""});
    return changes;
}

inifile::Changes ClockUpdateOutcomeChanges(TDateTime recorded, const std::string& message,
                                           const LocaleFormats& formats)
{
    return {{kClock, "Log", FormatShortDateLongTime(recorded, formats) + "  " + message},
            {kClock, "Last update", DateTimeToSettingText(recorded)}};
}

inifile::Changes WindowOnExitChanges(bool minimized, WindowPlace place)
{
    if (minimized)
        return {{kMainWin, "Minimized", "1"}};
    return {{kMainWin, "Left", std::to_string(place.left)},
            {kMainWin, "Top", std::to_string(place.top)},
            {kMainWin, "Minimized", "0"}};
}

std::string ReadLog(const std::string& fileName)
{
    return ReadIniString(fileName, kClock, "Log", 128, "No information available");
}

inifile::Changes ChoiceChanges(const MainState& state)
{
    auto flag = [](bool on) { return on ? "1" : "0"; };
    return {{kDisplay, "TrayIcon", flag(state.TrayMode)},
            {kClock, "Update type", std::to_string(static_cast<int>(state.UpdateType))},
            {kDisplay, "Map view", std::to_string(static_cast<int>(state.MapView))},
            {kDisplay, "Font face", state.MapFontName},
            {kDisplay, "Font size", std::to_string(state.MapFontSize)},
            {kDisplay, "Font style", FontStyleText(state.MapFontStyle)},
            {kDisplay, "Show shadow", flag(state.ShowShadow)},
            {kDisplay, "Time zones", flag(state.UseTimeZones)},
            {kClock, "Time server", state.TimeServer}};
}

} // namespace settings_file
