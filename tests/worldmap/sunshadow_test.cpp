// The Sun's point and the shadow mask on the built-in 316 × 158 map.
#include "worldmap/sunshadow.h"

#include "worldmap/greatcircle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;

MapGeometry View(int view)
{
    const int shifts[5][2] = {{0, 0}, {90, 0}, {200, 0}, {-40, 20}, {110, 10}};
    return {316, 158, MapViewId{view}, shifts[view][0], shifts[view][1]};
}

struct Moment {
    const char* name;
    int month, day;
    double u;
};
const Moment kMarch{"21 March 12:00", 3, 21, 0.5};
const Moment kNewYear{"1 January 00:00", 1, 1, 0.0};
const Moment kJune{"21 June 12:00", 6, 21, 0.5};
const Moment kDecember{"21 December 18:00", 12, 21, 0.75};

TEST(SunShadow, SunPointAndMarker)
{
    struct Case {
        Moment when;
        double latitude, westLongitudeDeg;
        int view;
        MapPoint marker;
    };
    const Case cases[] = {
        {kMarch, 0.003339, -0.12745, 0, {159, 79}},
        // Just past 180 E: one column right of the map in view 0, well inside it in view 1.
        {kNewYear, -0.401701, -180.08208, 0, {317, 99}},
        {kNewYear, -0.401701, -180.08208, 1, {80, 99}},
        {kJune, 0.408993, -0.0010933, 0, {159, 58}},
        {kDecember, -0.408999, 89.99925, 0, {80, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.when.name << " view " << c.view);
        const SunPoint sun = SubsolarPoint(c.when.month, c.when.day, c.when.u);
        EXPECT_NEAR(sun.latitude, c.latitude, 1e-6);
        EXPECT_NEAR(RadToDeg(sun.westLongitude), c.westLongitudeDeg, 1e-4);
        SunShadow shadow;
        EXPECT_EQ(shadow.DrawSunShadow(View(c.view), c.when.month, c.when.day, c.when.u), c.marker);
    }
}

// Over the whole map: only the three colours; day never touches night (the band closes); well inside 90
// degrees from the Sun is day and well outside is night, whichever seeds hit the band.
TEST(SunShadow, MaskSplitsTheMapAtTheBoundary)
{
    for (const Moment& when : {kMarch, kNewYear, kJune, kDecember})
        for (int view = 0; view < 5; ++view) {
            SCOPED_TRACE(testing::Message() << when.name << " view " << view);
            const MapGeometry geometry = View(view);
            SunShadow shadow;
            shadow.DrawSunShadow(geometry, when.month, when.day, when.u);
            const ShadowMask& mask = shadow.Mask();
            const SunPoint sun = SubsolarPoint(when.month, when.day, when.u);
            const double scale = view > 2 ? 3 * geometry.LonScale() : geometry.LonScale();
            for (int y = 0; y < 158; ++y)
                for (int x = 0; x < 316; ++x) {
                    const Rgb m = mask.Pixel(x, y);
                    ASSERT_TRUE(m == kShadowDay || m == kShadowTwilight || m == kShadowNight);
                    if (m == kShadowDay) {
                        ASSERT_TRUE(mask.Pixel(x + 1, y) != kShadowNight && mask.Pixel(x, y + 1) != kShadowNight &&
                                    mask.Pixel(x - 1, y) != kShadowNight && mask.Pixel(x, y - 1) != kShadowNight);
                    }
                    // Back from the pixel to the Earth, inverting the geometry of the view.
                    const double lat = view > 2 ? (79 - (y + 1) / 3.0) / geometry.LatScale() - geometry.latShift
                                                : (79 - y) / geometry.LatScale();
                    const double lon = view > 2 ? geometry.lonShift + (158 - x) / scale
                                                : geometry.lonShift * (view > 0) + (159 - x) / scale;
                    const double distance = RadToDeg(std::acos(
                        std::sin(DegToRad(lat)) * std::sin(sun.latitude) +
                        std::cos(DegToRad(lat)) * std::cos(sun.latitude) * std::cos(DegToRad(lon) - sun.westLongitude)));
                    if (distance < 80) {
                        ASSERT_EQ(m, kShadowDay) << x << "," << y;
                    }
                    if (distance > 100) {
                        ASSERT_EQ(m, kShadowNight) << x << "," << y;
                    }
                }
        }
}

TEST(SunShadow, SomeSeedsOfTheEquinoxLandOnTheBand)
{
    SunShadow shadow;
    shadow.DrawSunShadow(View(0), kMarch.month, kMarch.day, kMarch.u);
    const SunPoint sun = SubsolarPoint(kMarch.month, kMarch.day, kMarch.u);
    int onBand = 0;
    for (int i = 0; i < 158; ++i) {
        double lat, lon;
        GreatCirclePoint(5 * pi / 11, i * 0.04, sun.westLongitude, sun.latitude, lat, lon);
        onBand += shadow.Mask().Pixel(LonToX(View(0), RadToDeg(lon)), LatToY(View(0), RadToDeg(lat))) == kShadowTwilight;
    }
    // The day side is still whole: MaskSplitsTheMapAtTheBoundary checks this same moment.
    EXPECT_GT(onBand, 0);
}

TEST(SunShadow, JuneHasDayAtTheTopAndNightAtTheBottom)
{
    SunShadow shadow;
    shadow.DrawSunShadow(View(0), kJune.month, kJune.day, kJune.u);
    for (int x = 0; x < 316; ++x) {
        SCOPED_TRACE(x);
        for (int y = 0; y < 10; ++y) {
            EXPECT_EQ(shadow.Mask().Pixel(x, y), kShadowDay);
            EXPECT_EQ(shadow.Mask().Pixel(x, 157 - y), kShadowNight);
        }
    }
}

// At the equinox the boundary runs north-south, so a row crosses the band over exactly the pen's width:
// 12 pixels on the world views, 36 on the regional ones.
TEST(SunShadow, BandIsThePenWide)
{
    for (const auto& [view, row, width] : {std::tuple{0, 79, 12}, {2, 79, 12}, {3, 100, 36}}) {
        SCOPED_TRACE(view);
        SunShadow shadow;
        shadow.DrawSunShadow(View(view), kMarch.month, kMarch.day, kMarch.u);
        int band = 0;
        for (int x = 0; x < 316; ++x)
            band += shadow.Mask().Pixel(x, row) == kShadowTwilight;
        EXPECT_EQ(band, view == 3 ? width : 2 * width); // the regional view shows only the evening side
    }
}

TEST(SunShadow, Darkening)
{
    const Rgb picture = MakeRgb(0xFF, 0x81, 0x07);
    EXPECT_EQ(DarkenPixel(picture, kShadowDay), picture);
    EXPECT_EQ(DarkenPixel(picture, kShadowTwilight), MakeRgb(0x7F, 0x40, 0x03));
    EXPECT_EQ(DarkenPixel(picture, kShadowNight), MakeRgb(0x1F, 0x10, 0x00));
    // Only the exact twilight colour halves; a near miss counts as night.
    EXPECT_EQ(DarkenPixel(picture, MakeRgb(127, 127, 127)), MakeRgb(0x1F, 0x10, 0x00));

    // Through a whole mask of every level, leaving what lies beyond the view alone.
    const Bitmap view(5, 1, picture);
    ShadowMask mask(6, 1, ShadowMask::kNightLevel);
    mask.Row(0)[0] = ShadowMask::kDrawnDayLevel;
    mask.Row(0)[1] = ShadowMask::kTwilightLevel;
    mask.Row(0)[2] = ShadowMask::kFilledDayLevel;
    Bitmap frame(6, 1, kShadowNight);
    DarkenThroughMask(view, mask, frame);
    EXPECT_EQ(frame.Pixel(0, 0), picture);
    EXPECT_EQ(frame.Pixel(1, 0), MakeRgb(0x7F, 0x40, 0x03));
    EXPECT_EQ(frame.Pixel(2, 0), picture);
    EXPECT_EQ(frame.Pixel(3, 0), MakeRgb(0x1F, 0x10, 0x00));
    EXPECT_EQ(frame.Pixel(5, 0), kShadowNight);
}

// The frame step: the picture darkened through the mask, black where a smaller picture does not reach.
TEST(SunShadow, ShadeFrame)
{
    const Bitmap view(200, 100, MakeRgb(0xFF, 0x81, 0x07));
    Bitmap frame(316, 158, MakeRgb(9, 9, 9));
    SunShadow shadow;
    const MapPoint sun = shadow.ShadeFrame(frame, view, View(0), {kMarch.month, kMarch.day, kMarch.u});
    EXPECT_EQ(frame.Pixel(sun.x, sun.y), view.Pixel(0, 0));
    EXPECT_EQ(frame.Pixel(10, 50), MakeRgb(0x1F, 0x10, 0x00)); // night on the far side of the Earth
    EXPECT_EQ(frame.Pixel(250, 50), 0u);
}

} // namespace
