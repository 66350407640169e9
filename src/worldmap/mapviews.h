// The five map views, in one table: for each, the settings section of its city list, the picture it
// shows and how that picture is turned, its geometry (world, turned world or regional) and the shift
// of its centre. The geometry (mapgeometry), the picture (mapview), the shadow's pen and circles
// (sunshadow) and the settings (appsettings) all look a view up here.
//
// A view is stored in the settings as its number ("Map view"), and a stored number outside 0..4
// is kept as it is: it shows no picture of its own, lists the "World Cities", and follows the
// regional geometry above 4 and the turned-world geometry below 0.
#pragma once

#include "base/numberedtable.h"

#include <array>
#include <cstddef>
#include <optional>

enum class MapViewId : int {
    WorldEurope = 0,      // the world as its picture is stored, centred on Europe
    WorldAmerica = 1,     // the world turned so that America is in the middle
    WorldAustralasia = 2, // the world turned so that Australasia is in the middle
    Europe = 3,           // Europe and central Asia, three times the world scale
    NorthAmerica = 4,     // North America, three times the world scale
};

// How a view places longitudes and latitudes on the map (see mapgeometry.h).
enum class MapProjection { World, TurnedWorld, Regional };

// The pictures built into the program, 316 × 158.
enum class BuiltInMap { World, Europe, NorthAmerica };

struct MapViewInfo {
    MapViewId id;
    const char* citySection; // the settings section of the view's city list
    MapProjection projection;
    BuiltInMap picture;
    int turnSixteenths; // a world view's picture is turned right by width × this / 16 columns
    int lonShift;       // ViewLonShift: degrees west positive of a turned or regional view's centre
    int latShift;       // ViewLatShift: a regional view shows 30 - shift .. 90 - shift degrees north
};

// The settings sections of the three city lists.
inline constexpr const char* kWorldCitiesSection = "World Cities";
inline constexpr const char* kEuropeCitiesSection = "EU Cities";
inline constexpr const char* kAmericaCitiesSection = "USA Cities";

inline constexpr std::array<MapViewInfo, 5> kMapViews{{
    {MapViewId::WorldEurope, kWorldCitiesSection, MapProjection::World, BuiltInMap::World, 0, 0, 0},
    {MapViewId::WorldAmerica, kWorldCitiesSection, MapProjection::TurnedWorld, BuiltInMap::World, 4, 90, 0},
    {MapViewId::WorldAustralasia, kWorldCitiesSection, MapProjection::TurnedWorld, BuiltInMap::World, 9, 200, 0},
    {MapViewId::Europe, kEuropeCitiesSection, MapProjection::Regional, BuiltInMap::Europe, 0, -40, 20},
    {MapViewId::NorthAmerica, kAmericaCitiesSection, MapProjection::Regional, BuiltInMap::NorthAmerica, 0, 110, 10},
}};

static_assert(RowsInNumberOrder(kMapViews));

// The row of a view, or nullopt for a number outside 0..4.
constexpr std::optional<MapViewInfo> FindMapView(MapViewId view)
{
    return FindNumberedRow(kMapViews, view);
}

// The projection of any view number: numbers above 4 are regional, negative ones turned world views.
constexpr MapProjection ProjectionOf(MapViewId view)
{
    if (const auto info = FindMapView(view))
        return info->projection;
    return static_cast<int>(view) < 0 ? MapProjection::TurnedWorld : MapProjection::Regional;
}

// The settings section of any view number's city list.
constexpr const char* CitySectionOf(MapViewId view)
{
    const auto info = FindMapView(view);
    return info ? info->citySection : kWorldCitiesSection;
}
