#include "worldmap/mapview.h"

#include "support/casename.h"
#include "support/faketextrenderer.h"
#include "support/pixelart.h"
#include "worldmap/greatcircle.h"
#include "worldmap/sunshadow.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr Rgb kSea = MakeRgb(10, 20, 90);
constexpr Rgb kShade = MakeRgb(0, 60, 0);

// A picture whose pixels tell their own column and row.
Bitmap Numbered(int width, int height)
{
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, MakeRgb(x & 0xFF, x >> 8, y));
    return bitmap;
}

int ColumnOf(Rgb pixel)
{
    return RedOf(pixel) | GreenOf(pixel) << 8;
}

TMapCity City(const char* name, int eastLongitude, int latitude)
{
    TMapCity city;
    city.Name = name;
    city.Longitude = -eastLongitude;
    city.Latitude = latitude;
    return city;
}

struct WrapCase {
    int view;
    int width;
    int shift;
};

class TurnedWorldViews : public ::testing::TestWithParam<WrapCase> {};

TEST_P(TurnedWorldViews, WrapTheColumnsAround)
{
    const WrapCase& c = GetParam();
    const Bitmap world = Numbered(c.width, 4), other(316, 158);
    Bitmap viewBitmap(316, 158);
    MapGeometry geometry;
    ComposeMapView(MapViewId{c.view}, {world, other, other}, viewBitmap, geometry);
    const int kept = std::min(c.width, kShownBlockWidth);
    ASSERT_EQ(viewBitmap.Width(), kept);
    ASSERT_EQ(viewBitmap.Height(), 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < kept; ++x) {
            ASSERT_EQ(ColumnOf(viewBitmap.Pixel(x, y)), (x - c.shift + c.width) % c.width) << x;
            ASSERT_EQ(BlueOf(viewBitmap.Pixel(x, y)), y);
        }
    }
}

// A replacement world of another size gives the view its own size, cut to the shown block.
INSTANTIATE_TEST_SUITE_P(ComposeMapView, TurnedWorldViews,
                         ::testing::Values(WrapCase{1, 316, 79}, WrapCase{2, 316, 177}, WrapCase{1, 100, 25},
                                           WrapCase{2, 100, 56}, WrapCase{1, 2048, 512}, WrapCase{2, 2048, 1152},
                                           WrapCase{0, 2048, 0}),
                         [](const auto& info) {
                             return "view_" + std::to_string(info.param.view) + "_width_" +
                                    std::to_string(info.param.width);
                         });

// Each picture is one colour: grey 1 the world, 2 Europe, 3 North America.
struct ViewCase {
    int view;
    int picture; // the grey of the picture the view shows
    int lonShift;
    int latShift;
};

class EachView : public ::testing::TestWithParam<ViewCase> {};

TEST_P(EachView, TakesItsPictureAndShifts)
{
    const ViewCase& c = GetParam();
    const auto grey = [](int level) { return Bitmap(316, 158, MakeRgb(level, level, level)); };
    // Each starts from shifts 7 and 8: view 0 keeps both, the turned views the latitude's.
    MapGeometry geometry;
    geometry.lonShift = 7;
    geometry.latShift = 8;
    Bitmap viewBitmap(316, 158);
    const Bitmap world = grey(1), europe = grey(2), northAmerica = grey(3);
    ComposeMapView(MapViewId{c.view}, {world, europe, northAmerica}, viewBitmap, geometry);
    EXPECT_EQ(viewBitmap, grey(c.picture));
    EXPECT_EQ(geometry.lonShift, c.lonShift);
    EXPECT_EQ(geometry.latShift, c.latShift);
}

// A plain world turned is itself.
INSTANTIATE_TEST_SUITE_P(ComposeMapView, EachView,
                         ::testing::Values(ViewCase{0, 1, 7, 8}, ViewCase{1, 1, 90, 8}, ViewCase{2, 1, 200, 8},
                                           ViewCase{3, 2, -40, 20}, ViewCase{4, 3, 110, 10}),
                         [](const auto& info) { return "view_" + std::to_string(info.param.view); });

// A view number from a hand-edited settings file composes nothing: the view bitmap keeps what it
// held (at start, an unfilled bitmap of the map's size) and the shifts stay.
TEST(ComposeMapView, ViewNumbersOutsideTheRangeComposeNothing)
{
    const Bitmap world(316, 158, kSea);
    for (int view : {-1, 5, 7, 1000, INT_MIN}) {
        SCOPED_TRACE(view);
        Bitmap viewBitmap(316, 158);
        MapGeometry geometry;
        geometry.lonShift = 3;
        geometry.latShift = 4;
        ComposeMapView(MapViewId{view}, {world, world, world}, viewBitmap, geometry);
        EXPECT_EQ(viewBitmap, Bitmap(316, 158));
        EXPECT_EQ(geometry.lonShift, 3);
        EXPECT_EQ(geometry.latShift, 4);
    }
}

class DrawMapTest : public testing::Test {
protected:
    DrawMapTest() : view(316, 158, kSea), frame(316, 158)
    {
        options.localTime = EncodeDate(2026, 6, 21) + 0.5;
        options.cityTime = [](const TMapCity&, TDateTime) { return std::string("12:34"); };
    }

    std::optional<MapPoint> Draw() { return DrawMap(frame, view, geometry, cities, options, text); }

    Bitmap view;
    Bitmap frame;
    MapGeometry geometry; // view 0, 316 × 158
    TMapCities cities{};
    MapFrameOptions options;
    FakeTextRenderer text;
};

// London's dot in view 0 is centred on (159, 33): red over (157, 31)–(161, 35), its black shadow
// one pixel right and below, both 4 × 4 without corners.
TEST_F(DrawMapTest, DotIsRedOverItsBlackShadow)
{
    cities[0] = City("London", 0, 52);
    Draw();
    const std::vector<std::string> expected = Lines({
        ".........",
        ".........",
        "...RR....",
        "..RRRR...",
        "..RRRRK..",
        "...RRKK..",
        "....KK...",
        ".........",
        ".........",
    });
    EXPECT_EQ(Art(frame, {{'.', kSea}, {'R', kDotColor}, {'K', kDotShadowColor}}, 155, 29, 9, 9), expected);
}

// Name and time centred under the dot (widths halved toward zero), black one pixel right and below,
// then aqua; the time's line one text height down.
TEST_F(DrawMapTest, LabelsAreCentredUnderTheDotBlackThenAqua)
{
    cities[0] = City("London", 0, 52); // (159, 33); name 30 pixels wide, time 25, line 7
    options.font = {"Small Fonts", 9, FontStyle{true, false, true}};
    Draw();
    const std::vector<FakeTextRenderer::Output> expected = {
        {145, 36, "London", kLabelShadowColor},
        {148, 41, "12:34", kLabelShadowColor},
        {144, 35, "London", kLabelColor},
        {147, 40, "12:34", kLabelColor},
    };
    EXPECT_EQ(text.outputs, expected);
    EXPECT_EQ(text.font, options.font);
    EXPECT_EQ(text.target, &frame);
    EXPECT_EQ(text.events.front(), "begin");
    EXPECT_EQ(text.events.back(), "end");
}

TEST_F(DrawMapTest, AnEmptySlotEndsTheList)
{
    cities[0] = City("London", 0, 52);
    cities[2] = City("Paris", 2, 49);
    Draw();
    ASSERT_EQ(text.outputs.size(), 4u);
    for (const auto& output : text.outputs)
        EXPECT_NE(output.text, "Paris");
    const MapPoint paris{LonToX(geometry, -2), LatToY(geometry, 49)};
    EXPECT_EQ(frame.Pixel(paris.x, paris.y), kSea);
}

TEST_F(DrawMapTest, WithoutCitiesNoLetteringStarts)
{
    Draw();
    EXPECT_TRUE(text.events.empty());
    EXPECT_EQ(frame.Pixel(100, 100), kSea);
}

// Later slots draw over earlier ones: a second city on the same place covers the first's labels.
TEST_F(DrawMapTest, CitiesAreDrawnInSlotOrder)
{
    cities[0] = City("Alpha", 10, 10);
    cities[1] = City("Beta", 10, 10);
    Draw();
    ASSERT_EQ(text.outputs.size(), 8u);
    EXPECT_EQ(text.outputs[3].text, "12:34");
    EXPECT_EQ(text.outputs[4].text, "Beta");
}

TEST_F(DrawMapTest, ShadowFirstThenCitiesThenTheSunMarkerOverThem)
{
    cities[0] = City("London", 0, 52);
    std::vector<std::string> order;
    options.shadow = [&](Bitmap& f, const Bitmap& v, const MapGeometry&, TDateTime) {
        order.push_back("shadow");
        EXPECT_EQ(&v, &view);
        f = Bitmap(v.Width(), v.Height(), kShade);
        return MapPoint{159, 33};
    };
    const std::optional<MapPoint> sun = Draw();
    ASSERT_TRUE(sun);
    EXPECT_EQ(*sun, (MapPoint{159, 33}));
    EXPECT_EQ(order, std::vector<std::string>{"shadow"});
    // The 8 × 8 marker covers the dot and its shadow wholly.
    const std::vector<std::string> expected = Lines({
        "..........",
        "...YYYY...",
        "..YYYYYY..",
        ".YYYYYYYY.",
        ".YYYYYYYY.",
        ".YYYYYYYY.",
        ".YYYYYYYY.",
        "..YYYYYY..",
        "...YYYY...",
        "..........",
    });
    EXPECT_EQ(Art(frame, {{'.', kShade}, {'Y', kSunColor}}, 154, 28, 10, 10), expected);
    EXPECT_EQ(frame.Pixel(10, 10), kShade);
}

TEST_F(DrawMapTest, WithoutAShadowStepThePictureIsCopiedAndNoMarkerDrawn)
{
    frame = Bitmap(316, 158, kSunColor);
    EXPECT_FALSE(Draw());
    EXPECT_EQ(frame, view);
}

// The shadow and the labels take the one UTC instant: at 13:00 on 20 March in Kiritimati (UTC+14)
// it is still 19 March, 23:00 UTC. The Sun's point is checked against the NOAA solar calculator's
// formulas (Meeus, "Astronomical Algorithms", ch. 25) worked out apart in Python for that instant:
// declination -0.2574 degrees, 163.1017 degrees west (the local date would put it at +0.1378).
TEST_F(DrawMapTest, ShadowAndLabelsTakeTheUtcInstant)
{
    cities[0] = City("London", 0, 52);
    options.localTime = EncodeDate(2026, 3, 20) + 13.0 / 24;
    options.timeZoneBias = -14.0 / 24;
    const TDateTime utc = EncodeDate(2026, 3, 19) + 23.0 / 24;
    TDateTime shadowSeen = 0;
    options.shadow = [&](Bitmap&, const Bitmap&, const MapGeometry&, TDateTime when) {
        shadowSeen = when;
        return MapPoint{-100, -100};
    };
    TDateTime labelSeen = 0;
    options.cityTime = [&](const TMapCity&, TDateTime when) {
        labelSeen = when;
        return std::string("23:00");
    };
    Draw();
    EXPECT_NEAR(shadowSeen, utc, 1e-9);
    EXPECT_NEAR(labelSeen, utc, 1e-9);
    const SunPoint sun = SubsolarPoint(shadowSeen);
    EXPECT_NEAR(RadToDeg(sun.latitude), -0.2574, 0.02);
    EXPECT_NEAR(RadToDeg(sun.westLongitude), 163.1017, 0.02);
}

// The window shows the frame's buffer as it is: every pixel leaves opaque, whatever the shadow step
// wrote.
TEST_F(DrawMapTest, FrameLeavesOpaque)
{
    cities[0] = City("London", 0, 52);
    for (bool shadow : {false, true}) {
        SCOPED_TRACE(shadow ? "with a shadow step" : "without");
        if (shadow)
            options.shadow = [](Bitmap& f, const Bitmap& v, const MapGeometry&, TDateTime) {
                f = Bitmap(v.Width(), v.Height(), kShade);
                return MapPoint{20, 20};
            };
        Draw();
        for (int i = 0; i < frame.Width() * frame.Height(); ++i)
            ASSERT_EQ(frame.Data()[i] >> 24, 0xFFu) << i;
    }
}

// A regional picture smaller than a replacement world map leaves no trace of the last frame beside it.
TEST_F(DrawMapTest, ViewSmallerThanTheFrameClearsTheRest)
{
    frame = Bitmap(400, 200, kSunColor);
    geometry.width = 400;
    geometry.height = 200;
    Draw();
    EXPECT_EQ(frame.Pixel(315, 157), kSea);
    EXPECT_EQ(frame.Pixel(316, 10), 0u);
    EXPECT_EQ(frame.Pixel(10, 199), 0u);
}

} // namespace
