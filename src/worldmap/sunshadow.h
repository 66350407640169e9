// The Sun's shadow on the map: where the Sun stands overhead at a UTC instant, a mask of
// day, twilight and night around that point, and the frame darkened through it (night to an eighth of the
// picture's brightness, the twilight band to half).
//
// The mask is drawn into a plane of its own, one byte a pixel, apart from the picture shown, so its values
// are read back exactly. The point under the Sun comes from the Sun's mean longitude and anomaly counted from
// the year 2000, good to about 0.01 degree for this century; longitudes are west positive, as everywhere on the
// map.
#pragma once

#include "worldmap/bitmap.h"
#include "worldmap/mapgeometry.h"
#include "worldmap/mapview.h"
#include "worldmap/rasterpaths.h"

#include <vector>

// The three colours of the mask.
inline constexpr Rgb kShadowDay = MakeRgb(255, 255, 255);
inline constexpr Rgb kShadowTwilight = MakeRgb(127, 127, 128);
inline constexpr Rgb kShadowNight = MakeRgb(31, 31, 32);

// The mask, one byte a pixel: kShadowNight, kShadowTwilight or kShadowDay, by these levels.
class ShadowMask : public ByteMap {
public:
    // Night 0 and day 1 or 3 (painted by the pen or filled), so that bit 0 tells day; twilight 2 bounds the
    // fill, which stops at anything not below it.
    enum Level : std::uint8_t { kNightLevel = 0, kDrawnDayLevel = 1, kTwilightLevel = 2, kFilledDayLevel = 3 };

    using ByteMap::ByteMap;

    // The colour at (x, y); 0 outside the mask.
    Rgb Pixel(int x, int y) const
    {
        if (!Contains(x, y))
            return 0;
        const std::uint8_t level = At(x, y);
        return (level & 1) != 0 ? kShadowDay : level == kTwilightLevel ? kShadowTwilight : kShadowNight;
    }
};

// How far the Sun's latitude may move before a shadow works out its circles' points again: 1e-5 radian
// (0.0006 degree, a couple of minutes of the Sun's motion at the equinoxes), far below a pixel in every view.
inline constexpr double kSunLatitudeSlack = 1e-5;

// A place on the Earth, radians: latitude north positive, longitude west positive.
struct SunPoint {
    double latitude = 0;
    double westLongitude = 0;
};

// The point under the Sun at utc (days since 30 December 1899, UTC): its date gives the season and its
// time of day the hour angle, so both come from the one instant. The longitude may lie a little beyond ±π.
SunPoint SubsolarPoint(TDateTime utc);

// Draws the day/twilight/night mask for a UTC instant and keeps it until the next call; holds
// its working memory between frames.
class SunShadow {
public:
    // Paints the mask for the map size and view of geometry at utc (as for SubsolarPoint); returns the map
    // pixel under the Sun (SunX, SunY), which may lie off the map.
    MapPoint DrawSunShadow(const MapGeometry& geometry, TDateTime utc);
    // The same around a given point under the Sun.
    MapPoint DrawSunShadow(const MapGeometry& geometry, const SunPoint& sun);

    // The mask of the last DrawSunShadow, or of the last ShadeFrame over the part of the map it showed.
    const ShadowMask& Mask() const { return m_mask; }

    // The shadow step of a map frame: draws the mask for utc over the part of the map that frame and the view
    // picture share (from the top-left corner; a larger map is traced whole but only that much is painted),
    // then makes frame the view picture darkened through it. Where a smaller view picture leaves frame
    // uncovered, frame is black. Returns the Sun's map pixel.
    MapPoint ShadeFrame(Bitmap& frame, const Bitmap& view, const MapGeometry& geometry, TDateTime utc);
    // The same around a given point under the Sun.
    MapPoint ShadeFrame(Bitmap& frame, const Bitmap& view, const MapGeometry& geometry, const SunPoint& sun);

    // The points of a circle around the Sun, each as its latitude and its longitude less the Sun's (radians).
    // They depend only on the circle's radius and the Sun's latitude, which moves by at most 0.4 degree a day,
    // so each circle keeps its points between frames and works them out again only when the radius changes
    // or the latitude has moved by more than kSunLatitudeSlack.
    struct CirclePoint {
        double latitude;
        double delta;
    };
    struct CirclePoints {
        double radius = -1;
        double sunLatitude = 0;
        std::vector<CirclePoint> points;
    };

private:
    // The mask over the map's top-left width × height pixels (at most the map's size).
    MapPoint DrawMask(const MapGeometry& geometry, const SunPoint& sun, int width, int height);
    void TraceCircle(const MapGeometry& geometry, const SunPoint& sun, const CirclePoints& circle, RowRuns& runs,
                     int penWidth);

    ShadowMask m_mask;
    // The circles as runs: the white one only over the mask, the twilight one over the whole map, where it
    // bounds the day's areas.
    RowRuns m_whiteRuns;
    RowRuns m_twilightRuns;
    RunAreas m_areas;
    CirclePoints m_inner;    // the white circle
    CirclePoints m_boundary; // the twilight circle
    CirclePoints m_seeds;
};

// The rule of the mask in its plainest form, which SunShadow follows with its points kept between frames, a
// byte a pixel and faster lines and fills: around the Sun, a circle of day (radius 10π/21, 5π/11 in the
// regional views) and the twilight circle (π/2) are traced in 0.04-radian steps with a round pen 12 pixels
// wide (36 in the regional views), a curve crossing the map's seam being carried out past one edge and in
// past the other; then from seeds at radius 5π/11 every 0.04 radian the day is filled up to the twilight.
// The rest is night. Pixels are kShadowDay, kShadowTwilight or kShadowNight. For the tests; slow.
Bitmap ReferenceSunShadowMask(const MapGeometry& geometry, const SunPoint& sun);

// One pixel of the picture under day, twilight or night (neither flag): unchanged, each channel halved, or
// divided by 8 (rounding down). Top bytes are no part of a colour.
constexpr Rgb DarkenAs(Rgb picture, bool twilight, bool day)
{
    // All three values are worked out and one is kept through bit masks, without a branch, which lets the
    // compiler do several pixels at once.
    const Rgb halved = (picture >> 1) & 0x7F7F7Fu;
    const Rgb eighth = (picture >> 3) & 0x1F1F1Fu;
    const Rgb isTwilight = 0u - static_cast<Rgb>(twilight);
    const Rgb isDay = 0u - static_cast<Rgb>(day);
    const Rgb dark = eighth ^ ((halved ^ eighth) & isTwilight);
    return dark ^ ((picture ^ dark) & isDay);
}

// One pixel of the picture seen through a mask colour: day, the exact twilight colour, or anything else as
// night.
constexpr Rgb DarkenPixel(Rgb picture, Rgb mask)
{
    mask &= 0xFFFFFFu;
    return DarkenAs(picture, mask == kShadowTwilight, mask == kShadowDay);
}

// The same through a level of ShadowMask.
constexpr Rgb DarkenByLevel(Rgb picture, std::uint8_t level)
{
    return DarkenAs(picture, level == ShadowMask::kTwilightLevel, (level & 1u) != 0);
}

// frame = view darkened through mask, over the area the three have in common; frame's pixels outside it are
// left as they are.
void DarkenThroughMask(const Bitmap& view, const ShadowMask& mask, Bitmap& frame);

// The shadow step for DrawMap, drawn with shadow, which must outlive it.
ShadowStep SunShadowStep(SunShadow& shadow);
