#include "worldmap/mapview.h"

#include <algorithm>

#include "worldmap/raster.h"

#include <cmath>

namespace {

// The world picture turned right by `shift` columns, the columns pushed off the right edge coming
// back on the left.
// Makes viewBitmap the size of picture cut to the shown block.
void SizeToShownBlock(const Bitmap& picture, Bitmap& viewBitmap)
{
    const int w = std::min(picture.Width(), kShownBlockWidth);
    const int h = std::min(picture.Height(), kShownBlockHeight);
    if (viewBitmap.Width() != w || viewBitmap.Height() != h)
        viewBitmap = Bitmap(w, h);
}

// The world turned right by shift columns, as far as the shown block reaches.
void TurnWorld(const Bitmap& world, int shift, Bitmap& viewBitmap)
{
    const int w = world.Width();
    const int h = world.Height();
    SizeToShownBlock(world, viewBitmap);
    CopyRect(viewBitmap, shift, 0, world, {0, 0, w - shift, h});
    CopyRect(viewBitmap, 0, 0, world, {w - shift, 0, w, h});
}

void DrawCity(Bitmap& frame, const MapGeometry& geometry, const TMapCity& city, const std::string& time,
              TextRenderer& text)
{
    const int x = LonToX(geometry, city.Longitude);
    const int y = LatToY(geometry, city.Latitude);
    Ellipse(frame, {x - 1, y - 1, x + 3, y + 3}, kDotShadowColor | kOpaque, kDotShadowColor | kOpaque);
    Ellipse(frame, {x - 2, y - 2, x + 2, y + 2}, kDotColor | kOpaque, kDotColor | kOpaque);

    const int nameWidth = text.Extent(city.Name).width;
    const TextExtent timeExtent = text.Extent(time);
    // The shadow lies one pixel right of and below the lettering.
    text.Out(x + 1 - nameWidth / 2, y + 3, city.Name, kLabelShadowColor);
    text.Out(x + 1 - timeExtent.width / 2, y + 1 + timeExtent.height, time, kLabelShadowColor);
    text.Out(x - nameWidth / 2, y + 2, city.Name, kLabelColor);
    text.Out(x - timeExtent.width / 2, y + timeExtent.height, time, kLabelColor);
}

} // namespace

void ComposeMapView(MapViewId view, const MapPictures& pictures, Bitmap& viewBitmap, MapGeometry& geometry)
{
    const auto info = FindMapView(view);
    if (!info)
        return;
    const Bitmap& picture = pictures.Of(info->picture);
    switch (info->projection) {
    case MapProjection::World:
        SizeToShownBlock(picture, viewBitmap);
        CopyRect(viewBitmap, 0, 0, picture, BoundsOf(viewBitmap));
        break;
    case MapProjection::TurnedWorld:
        TurnWorld(picture, picture.Width() * info->turnSixteenths / 16, viewBitmap);
        geometry.lonShift = info->lonShift;
        break;
    case MapProjection::Regional:
        SizeToShownBlock(picture, viewBitmap);
        CopyRect(viewBitmap, 0, 0, picture, BoundsOf(viewBitmap));
        geometry.lonShift = info->lonShift;
        geometry.latShift = info->latShift;
        break;
    }
}

std::optional<MapPoint> DrawMap(Bitmap& frame, const Bitmap& view, const MapGeometry& geometry,
                                const TMapCities& cities, const MapFrameOptions& options, TextRenderer& text)
{
    const TDateTime utc = options.localTime + options.timeZoneBias;
    // Every pixel of the frame is written opaque, ready for the screen; the lettering's painter
    // writes them so by itself.
    std::optional<MapPoint> sun;
    if (options.shadow) {
        sun = options.shadow(frame, view, geometry, utc);
        MakeOpaque(frame);
    } else {
        // A regional picture smaller than a replacement world map would leave the last frame's
        // labels around it.
        if (view.Width() < frame.Width() || view.Height() < frame.Height())
            FillRect(frame, BoundsOf(frame), kOpaque);
        CopyOpaque(frame, view);
    }

    bool lettering = false;
    for (const TMapCity& city : cities) {
        if (city.Name.empty())
            break;
        if (!lettering) {
            text.Begin(frame, options.font);
            lettering = true;
        }
        DrawCity(frame, geometry, city, options.cityTime ? options.cityTime(city, utc) : std::string(), text);
    }
    if (lettering)
        text.End();

    if (sun)
        Ellipse(frame, {sun->x - 4, sun->y - 4, sun->x + 4, sun->y + 4}, kSunColor | kOpaque, kSunColor | kOpaque);
    return sun;
}
