#include "app/settingsmodel.h"

#include "app/appsettings.h"
#include "app/utils.h"
#include "worldmap/citytable.h"

#include <algorithm>

namespace {

// A stored list is read no further than this: a hand-made file with thousands of keys would
// otherwise make the dialog read the file thousands of times to show kMaxDisplayCities names.
constexpr std::size_t kStoredListReadLimit = 1024;

char Fold(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), Fold);
    return text;
}

void InsertSorted(TStrings& list, const std::string& name)
{
    list.insert(std::upper_bound(list.begin(), list.end(), name, CityNameLess), name);
}

} // namespace

bool CityNameLess(const std::string& a, const std::string& b)
{
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [](char x, char y) { return Fold(x) < Fold(y); });
    if (less || !SameCityName(a, b))
        return less;
    return a < b;
}

bool SameCityName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

SettingsModel::SettingsModel(const MainState& state, const TStrings& cityTable)
    : trayMode(state.TrayMode), showShadow(state.ShowShadow), useTimeZones(state.UseTimeZones),
      timeServer(state.TimeServer), font{state.MapFontName, state.MapFontSize, state.MapFontStyle},
      m_iniFileName(state.IniFileName), m_citySection(state.CitySection), m_allCities(CityChoiceNames(cityTable))
{
    // A table may name a city twice; the list offers it once.
    std::sort(m_allCities.begin(), m_allCities.end(), CityNameLess);
    m_allCities.erase(std::unique(m_allCities.begin(), m_allCities.end()), m_allCities.end());

    CheckUpdateType(state.UpdateType);
    CheckMapView(state.MapView);
    // With no view checked the list is the one of the section in use.
    if (!m_mapView)
        LoadDisplayCities();
}

void SettingsModel::CheckUpdateType(UpdateTypeId type)
{
    if (!FindUpdateType(type))
        return;
    m_updateType = type;
    // "Never" needs no server.
    m_serverEnabled = type != UpdateTypeId::Never;
}

void SettingsModel::CheckMapView(MapViewId view)
{
    if (!FindMapView(view))
        return;
    m_mapView = view;
    LoadDisplayCities();
}

void SettingsModel::LoadDisplayCities()
{
    const std::string section = m_mapView ? CitySectionOf(*m_mapView) : m_citySection;
    m_displayCities.clear();
    // The first names the map would show, in the table's spelling, each once.
    for (const std::string& stored : settings_file::ReadCityList(m_iniFileName, section, kStoredListReadLimit)) {
        if (m_displayCities.size() == kMaxDisplayCities)
            break;
        const auto name = TableName(stored);
        if (!name)
            continue;
        const bool shown = std::any_of(m_displayCities.begin(), m_displayCities.end(),
                                       [&name](const std::string& other) { return SameCityName(other, *name); });
        if (!shown)
            m_displayCities.push_back(*name);
    }
    std::sort(m_displayCities.begin(), m_displayCities.end(), CityNameLess);
}

std::optional<std::string> SettingsModel::TableName(const std::string& name) const
{
    // The exact spelling first: a table may hold two names that differ only in case.
    if (std::binary_search(m_allCities.begin(), m_allCities.end(), name, CityNameLess))
        return name;
    const auto found = std::find_if(m_allCities.begin(), m_allCities.end(),
                                    [&name](const std::string& city) { return SameCityName(city, name); });
    if (found == m_allCities.end())
        return std::nullopt;
    return *found;
}

bool SettingsModel::Add(const std::optional<std::string>& name)
{
    if (!name || !AddEnabled() || !TableName(*name))
        return false;
    const bool shown = std::any_of(m_displayCities.begin(), m_displayCities.end(),
                                   [&name](const std::string& other) { return SameCityName(other, *name); });
    if (shown)
        return false;
    InsertSorted(m_displayCities, *name);
    return true;
}

bool SettingsModel::Remove(const std::optional<std::string>& name)
{
    if (!name)
        return false;
    const auto found = std::find(m_displayCities.begin(), m_displayCities.end(), *name);
    if (found == m_displayCities.end())
        return false;
    m_displayCities.erase(found);
    return true;
}

TStrings SettingsModel::FilteredCities(const std::string& filter) const
{
    const std::string wanted = Folded(filter);
    TStrings names;
    for (const std::string& city : m_allCities)
        if (Folded(city).find(wanted) != std::string::npos)
            names.push_back(city);
    return names;
}

std::string SettingsModel::LogText() const
{
    return settings_file::ReadLog(m_iniFileName);
}

SettingsApplied SettingsModel::Apply(MainState& state) const
{
    SettingsApplied applied;
    applied.trayModeChanged = trayMode != state.TrayMode;
    applied.mapViewChanged = m_mapView && *m_mapView != state.MapView;

    state.TrayMode = trayMode;
    state.UpdateType = m_updateType.value_or(state.UpdateType);
    state.MapView = m_mapView.value_or(state.MapView);
    state.CitySection = CitySectionOf(state.MapView);
    state.MapFontName = font.face;
    state.MapFontSize = font.points;
    state.MapFontStyle = font.style;
    state.ShowShadow = showShadow;
    state.UseTimeZones = useTimeZones;
    // Whatever the update mode: the server is kept for when it is wanted again.
    state.TimeServer = timeServer;

    // One save: every key of the dialog under one lock, off the window's thread.
    inifile::Changes changes = settings_file::ChoiceChanges(state);
    for (inifile::Change& change : settings_file::CityListChanges(state.CitySection, m_displayCities))
        changes.push_back(std::move(change));
    SaveIniStrings(state.IniFileName, std::move(changes));
    return applied;
}
