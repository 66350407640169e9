#include "worldmap/mapgeometry.h"
#include "worldmap/mapview.h"

#include <gtest/gtest.h>

namespace {

// The geometry of a view on the built-in 316 × 158 map, with the shifts that composing the view
// sets, starting from a program that has composed nothing yet.
MapGeometry ComposedGeometry(int view, MapGeometry geometry = {})
{
    const Bitmap world(316, 158), europe(316, 158), northAmerica(316, 158);
    Bitmap viewBitmap(316, 158);
    ComposeMapView(MapViewId{view}, {world, europe, northAmerica}, viewBitmap, geometry);
    geometry.view = MapViewId{view};
    return geometry;
}

MapPoint Place(const MapGeometry& geometry, int eastLongitude, int latitude)
{
    return {LonToX(geometry, -eastLongitude), LatToY(geometry, latitude)};
}

struct CityPixels {
    const char* city;
    int eastLongitude;
    int latitude;
    MapPoint views[5];
};

TEST(MapGeometry, CityPixelsInEveryView)
{
    const CityPixels cases[] = {
        {"London", 0, 52, {{159, 33}, {238, 33}, {19, 33}, {53, 46}, {448, 73}}},
        {"Amsterdam", 5, 52, {{163, 33}, {242, 33}, {23, 33}, {66, 46}, {461, 73}}},
        {"Moscow", 38, 56, {{192, 30}, {271, 30}, {52, 30}, {153, 36}, {548, 62}}},
        {"New York", -74, 41, {{94, 43}, {173, 43}, {270, 43}, {-142, 75}, {253, 102}}},
        {"Chicago", -88, 42, {{82, 42}, {161, 42}, {257, 42}, {-179, 73}, {216, 99}}},
        {"Honolulu", -158, 21, {{20, 61}, {99, 61}, {196, 61}, {-363, 128}, {32, 154}}},
        {"Sydney", 151, -34, {{292, 109}, {55, 109}, {151, 109}, {450, 273}, {845, 299}}},
    };
    for (int view = 0; view < 5; ++view) {
        const MapGeometry geometry = ComposedGeometry(view);
        for (const CityPixels& c : cases) {
            SCOPED_TRACE(testing::Message() << c.city << " in view " << view);
            EXPECT_EQ(Place(geometry, c.eastLongitude, c.latitude), c.views[view]);
        }
    }
}

// In view 2 only columns beyond the right edge wrap: 20° W computes to 317 and shows at 1, 21° W to
// 316 and stays there, one column off the map.
TEST(MapGeometry, TurnedViewWrapsOnlyColumnsBeyondTheWidth)
{
    const MapGeometry geometry = ComposedGeometry(2);
    EXPECT_EQ(LonToX(geometry, 20), 1);
    EXPECT_EQ(LonToX(geometry, 21), 316);
    EXPECT_EQ(LonToX(geometry, 22), 315);
}

TEST(MapGeometry, ViewNumbersOutsideTheRange)
{
    // Above 4: the regional geometry with the shifts last set, 0 at start.
    EXPECT_EQ(Place(ComposedGeometry(5), 0, 52), (MapPoint{158, 99}));
    EXPECT_EQ(Place(ComposedGeometry(7, ComposedGeometry(4)), -74, 41), (MapPoint{253, 102}));
    EXPECT_EQ(Place(ComposedGeometry(9, ComposedGeometry(3)), 0, 52), (MapPoint{53, 46}));
    // Negative: the turned world's geometry, wrap-around included, with the last shift. At start
    // 180° E computes to column 317 and wraps to 1, where view 0 leaves it at 317.
    EXPECT_EQ(Place(ComposedGeometry(-1), 180, 0), (MapPoint{1, 79}));
    EXPECT_EQ(Place(ComposedGeometry(0), 180, 0), (MapPoint{317, 79}));
    EXPECT_EQ(Place(ComposedGeometry(-3, ComposedGeometry(2)), 0, 52), (MapPoint{19, 33}));
    // View 0 keeps the shifts of the view before it; they do not enter its geometry.
    const MapGeometry afterRegional = ComposedGeometry(0, ComposedGeometry(4));
    EXPECT_EQ(afterRegional.lonShift, 110);
    EXPECT_EQ(Place(afterRegional, 0, 52), (MapPoint{159, 33}));
}

// Halves go to the even neighbour, on both sides of zero.
TEST(MapGeometry, NearestRoundsHalvesToEven)
{
    const std::pair<double, int> cases[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {-0.5, 0}, {-1.5, -2},
                                            {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.6, -3}};
    for (const auto& [v, expected] : cases)
        EXPECT_EQ(Nearest(v), expected) << v;
}

} // namespace
