// The map area: the picture of the current map view and the drawing of one map frame.
//
// A view's picture is composed once when the view is chosen (the world picture as stored or turned
// so that America or Australasia is in the middle, or a regional picture). Each frame then starts
// from that picture, darkened by the Sun's shadow when a shadow step is given, and adds for each
// displayed city a dot with a black shadow and a two-line label (name, local time) in aqua with a
// black shadow; last comes a yellow marker where the Sun stands overhead, when the shadow step
// found it. Labels are centred under their dots and may overlap; later cities draw over earlier ones.
#pragma once

#include "base/datetime.h"
#include "worldmap/bitmap.h"
#include "worldmap/mapcity.h"
#include "worldmap/mapgeometry.h"
#include "worldmap/textrenderer.h"

#include <functional>
#include <optional>
#include <string>

// The pictures of the views, 316 × 158 built in; the world picture may be a replacement of any size.
// A view asks only for its own picture, so a source that decodes on demand decodes only that one.
class MapPictures {
public:
    using Source = std::function<const Bitmap&(BuiltInMap)>;
    explicit MapPictures(Source source) : m_source(std::move(source)) {}
    // The three pictures, which must outlive this.
    MapPictures(const Bitmap& world, const Bitmap& europe, const Bitmap& northAmerica)
        : m_source([&world, &europe, &northAmerica](BuiltInMap which) -> const Bitmap& {
              return which == BuiltInMap::Europe ? europe : which == BuiltInMap::NorthAmerica ? northAmerica : world;
          })
    {
    }
    const Bitmap& Of(BuiltInMap which) const { return m_source(which); }

private:
    Source m_source;
};

// The block of a view's picture that the map area shows: its top-left corner, pixels. Of a larger
// picture only this much is kept and drawn.
inline constexpr int kShownBlockWidth = 318;
inline constexpr int kShownBlockHeight = 158;

// Builds the picture of view into viewBitmap and sets the shifts of geometry (degrees) that the view's
// projection uses, as the view table gives them: a regional view both, a turned world view lonShift,
// the world view neither. A turned view turns the world picture right, with wrap-around; the others
// copy their picture. viewBitmap takes the size of the picture used, cut to the shown block. A view number outside the table
// changes nothing.
void ComposeMapView(MapViewId view, const MapPictures& pictures, Bitmap& viewBitmap, MapGeometry& geometry);

struct MapPoint {
    int x = 0;
    int y = 0;
    bool operator==(const MapPoint&) const = default;
};

// The Sun's shadow: puts the view picture darkened by the shadow at the UTC instant utc (days since
// 30 December 1899) into frame (which has the map's size) and answers the map pixel where the Sun
// stands overhead.
using ShadowStep = std::function<MapPoint(Bitmap& frame, const Bitmap& view, const MapGeometry& geometry, TDateTime utc)>;

// The second label line of a city: its local time at the given UTC (days since 30 December 1899),
// in the user's short time format.
using CityLabelTime = std::function<std::string(const TMapCity& city, TDateTime utc)>;

// What a frame shows besides the picture and the cities.
struct MapFrameOptions {
    TDateTime localTime = 0.0; // the tick's local time
    double timeZoneBias = 0.0; // days; UTC = local time + bias
    MapFont font;
    CityLabelTime cityTime;
    ShadowStep shadow; // empty: the picture unchanged and no Sun marker
};

inline constexpr Rgb kDotShadowColor = MakeRgb(0, 0, 0);
inline constexpr Rgb kDotColor = MakeRgb(255, 0, 0);
inline constexpr Rgb kLabelShadowColor = MakeRgb(0, 0, 0);
inline constexpr Rgb kLabelColor = MakeRgb(0, 255, 255);
inline constexpr Rgb kSunColor = MakeRgb(255, 255, 0);

// Draws one frame into frame, which has the map's size (geometry's width and height): the view
// picture, the cities of the slots up to the first empty name, then the Sun marker; the frame is
// left opaque, ready for the screen. Returns where the Sun marker was drawn, when it was.
std::optional<MapPoint> DrawMap(Bitmap& frame, const Bitmap& view, const MapGeometry& geometry,
                                const TMapCities& cities, const MapFrameOptions& options, TextRenderer& text);
