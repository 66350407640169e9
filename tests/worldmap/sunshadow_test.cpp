// The Sun's point and the shadow mask on the built-in 316 × 158 map.
#include "worldmap/sunshadow.h"

#include "support/casename.h"
#include "worldmap/greatcircle.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    int year, month, day;
    double u;
};
const Moment kMarch{"20 March 12:00", 2026, 3, 20, 0.5};
const Moment kNewYear{"1 January 00:00", 2026, 1, 1, 0.0};
const Moment kJune{"21 June 12:00", 2026, 6, 21, 0.5};
const Moment kDecember{"21 December 18:00", 2026, 12, 21, 0.75};
const Moment kNovember{"3 November 12:00", 2026, 11, 3, 0.5};

TDateTime UtcOf(const Moment& when)
{
    return EncodeDate(when.year, when.month, when.day) + when.u;
}

SunPoint SunAt(const Moment& when)
{
    return SubsolarPoint(UtcOf(when));
}

// The reference points were worked out apart from this code, in a short Python script following the
// spreadsheet formulas of the NOAA Global Monitoring Laboratory's solar calculator (after Meeus,
// "Astronomical Algorithms", ch. 25): declination, and the west longitude 15 × (24u − 12) + equation of time.
// The markers are the reference points put through the map's geometry.
struct EphemerisCase {
    Moment when;
    double latitudeDeg, westLongitudeDeg;
    int view;
    MapPoint marker;
};

class SunPointAgainstAnEphemeris : public ::testing::TestWithParam<EphemerisCase> {};

TEST_P(SunPointAgainstAnEphemeris, PointAndMarker)
{
    const EphemerisCase& c = GetParam();
    const SunPoint sun = SunAt(c.when);
    EXPECT_NEAR(RadToDeg(sun.latitude), c.latitudeDeg, 0.1);
    EXPECT_NEAR(RadToDeg(sun.westLongitude), c.westLongitudeDeg, 0.1);
    SunShadow shadow;
    EXPECT_EQ(shadow.DrawSunShadow(View(c.view), UtcOf(c.when)), c.marker);
}

INSTANTIATE_TEST_SUITE_P(
    SunShadow, SunPointAgainstAnEphemeris,
    ::testing::Values(
        EphemerisCase{kMarch, -0.0433, -1.8582, 0, {161, 79}}, // equinox: the Sun runs 7.4 minutes behind the clock
        // Past 180 E: one column right of the map in view 0, well inside it in view 1.
        EphemerisCase{kNewYear, -23.0175, -180.8330, 0, {318, 99}},
        EphemerisCase{kNewYear, -23.0175, -180.8330, 1, {81, 99}}, EphemerisCase{kJune, 23.4381, -0.4561, 0, {159, 58}},
        EphemerisCase{kDecember, -23.4378, 90.4498, 0, {80, 100}},
        // 16.5 minutes ahead: the largest lead of the year.
        EphemerisCase{kNovember, -15.1514, 4.1231, 0, {155, 92}}),
    [](const auto& info) {
        return CaseName(std::string(info.param.when.name) + " view " + std::to_string(info.param.view));
    });

// The NOAA calculator's formulas, transcribed on their own, as the yardstick for every hour of 2026.
SunPoint NoaaSubsolarPoint(TDateTime utc)
{
    const auto rad = [](double degrees) { return DegToRad(degrees); };
    const double c = (utc - (EncodeDate(2000, 1, 1) + 0.5)) / 36525;
    const double l0 = std::fmod(280.46646 + c * (36000.76983 + c * 0.0003032), 360.0);
    const double m = 357.52911 + c * (35999.05029 - 0.0001537 * c);
    const double e = 0.016708634 - c * (0.000042037 + 0.0000001267 * c);
    const double center = std::sin(rad(m)) * (1.914602 - c * (0.004817 + 0.000014 * c)) +
                          std::sin(rad(2 * m)) * (0.019993 - 0.000101 * c) + std::sin(rad(3 * m)) * 0.000289;
    const double omega = rad(125.04 - 1934.136 * c);
    const double lambda = l0 + center - 0.00569 - 0.00478 * std::sin(omega);
    const double epsilon0 = 23 + (26 + (21.448 - c * (46.815 + c * (0.00059 - c * 0.001813))) / 60) / 60;
    const double epsilon = epsilon0 + 0.00256 * std::cos(omega);
    const double y = std::pow(std::tan(rad(epsilon / 2)), 2);
    const double eotMinutes = 4 * RadToDeg(y * std::sin(2 * rad(l0)) - 2 * e * std::sin(rad(m)) +
                                           4 * e * y * std::sin(rad(m)) * std::cos(2 * rad(l0)) -
                                           0.5 * y * y * std::sin(4 * rad(l0)) - 1.25 * e * e * std::sin(2 * rad(m)));
    const double u = utc - std::floor(utc);
    return {std::asin(std::sin(rad(epsilon)) * std::sin(rad(lambda))), rad(15 * (24 * u - 12) + eotMinutes / 4)};
}

TEST(SunShadow, SunPointWithinATenthOfADegreeAllYear)
{
    double worstLatitude = 0, worstLongitude = 0;
    for (int hour = 0; hour < 365 * 24; ++hour) {
        const TDateTime utc = EncodeDate(2026, 1, 1) + hour / 24.0;
        const SunPoint sun = SubsolarPoint(utc);
        const SunPoint reference = NoaaSubsolarPoint(utc);
        worstLatitude = std::max(worstLatitude, std::abs(RadToDeg(sun.latitude - reference.latitude)));
        worstLongitude = std::max(worstLongitude, std::abs(RadToDeg(sun.westLongitude - reference.westLongitude)));
    }
    EXPECT_LT(worstLatitude, 0.1);
    EXPECT_LT(worstLongitude, 0.1);
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
            shadow.DrawSunShadow(geometry, UtcOf(when));
            const ShadowMask& mask = shadow.Mask();
            const SunPoint sun = SunAt(when);
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
    // The Sun a hair north of the equator over Greenwich, where some seeds meet the band.
    const SunPoint sun{0.003339, DegToRad(-0.12745)};
    SunShadow shadow;
    shadow.DrawSunShadow(View(0), sun);
    int onBand = 0;
    for (int i = 0; i < 158; ++i) {
        double lat, lon;
        GreatCirclePoint(5 * pi / 11, i * 0.04, sun.westLongitude, sun.latitude, lat, lon);
        onBand += shadow.Mask().Pixel(LonToX(View(0), RadToDeg(lon)), LatToY(View(0), RadToDeg(lat))) == kShadowTwilight;
    }
    // The day side is still whole.
    for (int x = 150; x < 170; ++x)
        EXPECT_EQ(shadow.Mask().Pixel(x, 79), kShadowDay);
    EXPECT_GT(onBand, 0);
}

TEST(SunShadow, JuneHasDayAtTheTopAndNightAtTheBottom)
{
    SunShadow shadow;
    shadow.DrawSunShadow(View(0), UtcOf(kJune));
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
        shadow.DrawSunShadow(View(view), UtcOf(kMarch));
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

    // Many pixels at a time, through long stretches of one level and through levels changing from pixel to
    // pixel: each pixel as if darkened alone.
    ShadowMask mixed(316, 8, ShadowMask::kNightLevel);
    for (int i = 0; i < 316 * 8; ++i)
        mixed.Data()[i] = static_cast<std::uint8_t>(i < 316 * 4 ? (i / 40) % 4 : (i * 7919) % 4);
    Bitmap colours(316, 8);
    for (int i = 0; i < 316 * 8; ++i)
        colours.Data()[i] = static_cast<Rgb>(i * 2654435761u);
    Bitmap darkened(316, 8);
    DarkenThroughMask(colours, mixed, darkened);
    for (int i = 0; i < 316 * 8; ++i)
        ASSERT_EQ(darkened.Data()[i], DarkenByLevel(colours.Data()[i], mixed.Data()[i])) << i;
}

// The frame step: the picture darkened through the mask, black where a smaller picture does not reach.
TEST(SunShadow, ShadeFrame)
{
    const Bitmap view(200, 100, MakeRgb(0xFF, 0x81, 0x07));
    Bitmap frame(316, 158, MakeRgb(9, 9, 9));
    SunShadow shadow;
    const MapPoint sun = shadow.ShadeFrame(frame, view, View(0), UtcOf(kMarch));
    EXPECT_EQ(frame.Pixel(sun.x, sun.y), view.Pixel(0, 0));
    EXPECT_EQ(frame.Pixel(10, 50), MakeRgb(0x1F, 0x10, 0x00)); // night on the far side of the Earth
    EXPECT_EQ(frame.Pixel(250, 50), 0u);
}

} // namespace
