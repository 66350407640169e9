#include "app/settingsmodel.h"

#include "app/appsettings.h"
#include "app/utils.h"
#include "platform/worldcities.h"
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

// The index of the world's cities beside the table, made on a thread of its own; none without them.
std::future<std::unique_ptr<WorldCityIndex>> ReadWorldCities(WorldCitySource* source, const TStrings& table)
{
    if (!source)
        return {};
    return std::async(std::launch::async,
                      [source, table] { return std::make_unique<WorldCityIndex>(source->Cities(), table); });
}

void InsertSorted(TStrings& list, const std::string& name)
{
    list.insert(std::upper_bound(list.begin(), list.end(), name, CityNameLess), name);
}

} // namespace

std::span<const char* const> TimeServerChoices(TimeProtocol protocol)
{
    switch (protocol) {
    case TimeProtocol::Ntp:
        return kNtpServerList;
    case TimeProtocol::Nts:
        return kNtsServerList;
    case TimeProtocol::Time:
        break;
    }
    return kTimeServerList;
}

const char* DefaultTimeServer(TimeProtocol protocol)
{
    switch (protocol) {
    case TimeProtocol::Ntp:
        return settings_file::kDefaultNtpServer;
    case TimeProtocol::Nts:
        return settings_file::kDefaultNtsServer;
    case TimeProtocol::Time:
        break;
    }
    return settings_file::kTimeServer.fallback;
}

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

SettingsModel::SettingsModel(const MainState& state, const TStrings& cityTable, WorldCitySource* worldCities)
    : trayMode(state.TrayMode), showShadow(state.ShowShadow), useTimeZones(state.UseTimeZones),
      timeServer(state.TimeServer), font{state.MapFontName, state.MapFontSize, state.MapFontStyle},
      m_iniFileName(state.IniFileName), m_citySection(state.CitySection), m_protocol(state.Protocol),
      m_allCities(CityChoiceNames(cityTable)), m_worldReading(ReadWorldCities(worldCities, cityTable))
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

SettingsModel::~SettingsModel() = default;

void SettingsModel::CheckUpdateType(UpdateTypeId type)
{
    if (!FindUpdateType(type))
        return;
    m_updateType = type;
    // "Never" needs no server.
    m_serverEnabled = type != UpdateTypeId::Never;
}

void SettingsModel::ChooseProtocol(TimeProtocol protocol)
{
    const auto offered = [this](TimeProtocol by) {
        const auto list = TimeServerChoices(by);
        return std::find(list.begin(), list.end(), timeServer) != list.end();
    };
    const bool fromList = offered(m_protocol);
    m_protocol = protocol;
    if (fromList && !offered(protocol))
        timeServer = DefaultTimeServer(protocol);
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
    std::size_t addedLookUps = 0;
    for (const std::string& stored : settings_file::ReadCityList(m_iniFileName, section, kStoredListReadLimit)) {
        if (m_displayCities.size() == kMaxDisplayCities)
            break;
        std::optional<std::string> name = TableName(stored);
        // Each look-up in "Added Cities" reads the file: a hand-made list of a thousand unknown names
        // is looked up no further than a full list's worth.
        if (!name && addedLookUps++ < kMaxDisplayCities && KnowAdded(stored))
            name = stored;
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

const AddedCity* SettingsModel::Added(const std::string& name) const
{
    const auto found =
        std::find_if(m_added.begin(), m_added.end(), [&name](const AddedCity& city) { return city.Name == name; });
    return found == m_added.end() ? nullptr : &*found;
}

bool SettingsModel::KnowAdded(const std::string& name)
{
    if (Added(name))
        return true;
    std::optional<AddedCity> city = settings_file::ReadAddedCity(m_iniFileName, name);
    if (city)
        m_added.push_back(std::move(*city));
    return city.has_value();
}

const WorldCityIndex* SettingsModel::World()
{
    if (m_worldReading.valid())
        m_world = m_worldReading.get();
    return m_world.get();
}

bool SettingsModel::IsAddedCity(const std::string& name) const
{
    return !TableName(name) && (Added(name) || (m_world && m_world->Find(name)));
}

bool SettingsModel::Add(const std::optional<std::string>& name)
{
    if (!name || !AddEnabled())
        return false;
    const AddedCity* world = TableName(*name) || Added(*name) || !m_world ? nullptr : m_world->Find(*name);
    if (!TableName(*name) && !Added(*name) && !world)
        return false;
    const bool shown = std::any_of(m_displayCities.begin(), m_displayCities.end(),
                                   [&name](const std::string& other) { return SameCityName(other, *name); });
    if (shown)
        return false;
    if (world)
        m_added.push_back(*world);
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

TStrings SettingsModel::WorldMatches(const std::string& filter)
{
    TStrings names;
    if (filter.empty() || !World())
        return names;
    for (const AddedCity* city : m_world->Search(filter, kMaxWorldMatches))
        names.push_back(city->Name);
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
    state.Protocol = m_protocol;

    // One save: every key of the dialog under one lock, off the window's thread.
    inifile::Changes changes = settings_file::ChoiceChanges(state);
    // The table's cities first: an older build ends a list at the first name it does not know, and so
    // still shows all of them.
    TStrings list = m_displayCities;
    std::stable_partition(list.begin(), list.end(), [this](const std::string& name) { return !Added(name); });
    for (const std::string& name : list)
        if (const AddedCity* city = Added(name))
            changes.push_back(settings_file::AddedCityChange(*city));
    for (inifile::Change& change : settings_file::CityListChanges(state.CitySection, list))
        changes.push_back(std::move(change));
    SaveIniStrings(state.IniFileName, std::move(changes));
    return applied;
}
