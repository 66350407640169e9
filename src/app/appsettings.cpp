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
    if (!PathExists(file)) {
        Write(file, kProtocol, kFirstStartProtocol);
        Write(file, kTimeServer, kFirstStartTimeServer);
    }
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

bool WriteCityList(const std::string& fileName, const std::string& section, const TStrings& names)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!WriteIniString(fileName, section, CityKey(i + 1), names[i]))
            return false;
    return WriteIniString(fileName, section, CityKey(names.size() + 1), "");
}

namespace {

// Buffer of the settings reader for an added city: two numbers and a zone name.
constexpr std::size_t kAddedCityBuffer = 128;

} // namespace

std::optional<AddedCity> ReadAddedCity(const std::string& fileName, const std::string& name)
{
    return ParseAddedCity(name, ReadIniString(fileName, kAddedCities, name, kAddedCityBuffer));
}

bool WriteAddedCity(const std::string& fileName, const AddedCity& city)
{
    return WriteIniString(fileName, kAddedCities, city.Name, AddedCityText(city));
}

void WriteClockUpdateOutcome(const std::string& fileName, TDateTime recorded, const std::string& message,
                             const LocaleFormats& formats)
{
    Write(fileName, kLog, FormatShortDateLongTime(recorded, formats) + "  " + message);
    Write(fileName, kLastUpdate, recorded);
}

bool WriteFirstStartSettings(const std::string& fileName)
{
    return WriteCityList(fileName, CitySectionOf(MapViewId::WorldEurope), kFirstStartCities);
}

bool SaveWindowOnExit(const std::string& fileName, bool minimized, std::optional<WindowPlace> place)
{
    if (minimized)
        return Write(fileName, kMinimized, true);
    bool saved = true;
    if (place) {
        saved = Write(fileName, kWindowLeft, place->left) && saved;
        saved = Write(fileName, kWindowTop, place->top) && saved;
    }
    return Write(fileName, kMinimized, false) && saved;
}

std::string ReadLog(const std::string& fileName)
{
    return Read(fileName, kLog);
}

void WriteChoices(const MainState& state)
{
    const std::string& file = state.IniFileName;
    Write(file, kTrayIcon, state.TrayMode);
    Write(file, kUpdateType, state.UpdateType);
    Write(file, kMapView, state.MapView);
    Write(file, kFontFace, state.MapFontName);
    Write(file, kFontSize, state.MapFontSize);
    Write(file, kFontStyle, state.MapFontStyle);
    Write(file, kShowShadow, state.ShowShadow);
    Write(file, kTimeZones, state.UseTimeZones);
    Write(file, kTimeServer, state.TimeServer);
    Write(file, kProtocol, state.Protocol);
}

} // namespace settings_file
