#include "app/appsettings.h"

#include "app/utils.h"
#include "platform/filestore.h"
#include "worldmap/mapviews.h"

namespace settings_file {

WindowPlace ReadWindowPlace(const std::string& fileName)
{
    WindowPlace place;
    place.top = Read(fileName, kWindowTop);
    place.left = Read(fileName, kWindowLeft);
    return place;
}

void ReadDisplaySettings(MainState& state)
{
    const std::string& file = state.IniFileName;
    state.MapView = Read(file, kMapView);
    state.MapFontName = Read(file, kFontFace);
    state.MapFontSize = Read(file, kFontSize);
    state.MapFontStyle = Read(file, kFontStyle);
    state.ShowShadow = Read(file, kShowShadow);
    state.UseTimeZones = Read(file, kTimeZones);
    state.CitySection = CitySectionOf(state.MapView);
}

void ReadClockSettings(MainState& state)
{
    const std::string& file = state.IniFileName;
    if (!PathExists(file))
        SaveIniStrings(file, {Change(kProtocol, kFirstStartProtocol), Change(kTimeServer, kFirstStartTimeServer)});
    state.Protocol = TimeProtocolOf(static_cast<int>(Read(file, kProtocol)));
    state.TimeServer = Read(file, kTimeServer);
    state.TrustedCertificate = Read(file, kTrustedCertificate);
    state.LastUpdate = Read(file, kLastUpdate);
    state.UpdateType = Read(file, kUpdateType);
}

bool ReadTrayMode(const std::string& fileName)
{
    return Read(fileName, kTrayIcon);
}

bool ReadMinimized(const std::string& fileName)
{
    return Read(fileName, kMinimized);
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

namespace {

// Buffer of the settings reader for an added city: two numbers and a zone name.
constexpr std::size_t kAddedCityBuffer = 128;

} // namespace

std::optional<AddedCity> ReadAddedCity(const std::string& fileName, const std::string& name)
{
    return ParseAddedCity(name, ReadIniString(fileName, kAddedCities, name, kAddedCityBuffer));
}

inifile::Change AddedCityChange(const AddedCity& city)
{
    return {kAddedCities, city.Name, AddedCityText(city)};
}

inifile::Changes ClockUpdateOutcomeChanges(TDateTime recorded, const std::string& message,
                                           const LocaleFormats& formats)
{
    return {Change(kLog, FormatShortDateLongTime(recorded, formats) + "  " + message), Change(kLastUpdate, recorded)};
}

inifile::Changes FirstStartChanges()
{
    return CityListChanges(CitySectionOf(MapViewId::WorldEurope), kFirstStartCities);
}

inifile::Changes WindowOnExitChanges(bool minimized, std::optional<WindowPlace> place)
{
    if (minimized)
        return {Change(kMinimized, true)};
    inifile::Changes changes;
    if (place) {
        changes.push_back(Change(kWindowLeft, place->left));
        changes.push_back(Change(kWindowTop, place->top));
    }
    changes.push_back(Change(kMinimized, false));
    return changes;
}

std::string ReadLog(const std::string& fileName)
{
    return Read(fileName, kLog);
}

inifile::Changes ChoiceChanges(const MainState& state)
{
    return {Change(kTrayIcon, state.TrayMode),       Change(kUpdateType, state.UpdateType),
            Change(kMapView, state.MapView),         Change(kFontFace, state.MapFontName),
            Change(kFontSize, state.MapFontSize),    Change(kFontStyle, state.MapFontStyle),
            Change(kShowShadow, state.ShowShadow),   Change(kTimeZones, state.UseTimeZones),
            Change(kTimeServer, state.TimeServer),   Change(kProtocol, state.Protocol)};
}

} // namespace settings_file
