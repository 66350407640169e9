// Wide round-pen lines and the border flood fill, checked against plain reference versions on random
// cases. Prints its seed; CHRONIVO_TEST_SEED repeats a run.
#include "worldmap/rasterpaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>

namespace {

constexpr Rgb kInk = MakeRgb(1, 2, 3);
constexpr Rgb kWall = MakeRgb(127, 127, 128);
constexpr Rgb kPaint = MakeRgb(255, 255, 255);

unsigned TestSeed()
{
    const char* seedText = std::getenv("CHRONIVO_TEST_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    std::printf("seed %u (set CHRONIVO_TEST_SEED to repeat)\n", seed);
    return seed;
}

// Distance from the pixel centre (px, py) to the pen's path, in pixels.
double PathDistance(int px, int py, int x0, int y0, int x1, int y1, int width)
{
    const double s = width % 2 == 0 ? 0.5 : 0.0;
    const double ax = x0 - s, ay = y0 - s, dx = x1 - x0, dy = y1 - y0;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

TEST(WideLine, AxisLinesAreExactlyThePenWideWithRoundEnds)
{
    for (int width : {1, 3, 12, 36}) {
        SCOPED_TRACE(width);
        Bitmap bitmap(120, 120);
        DrawWideLine(bitmap, 40, 60, 80, 60, kInk, width);
        int across = 0;
        for (int y = 0; y < 120; ++y)
            across += bitmap.Pixel(60, y) == kInk;
        EXPECT_EQ(across, width);
        // The end is round: the corner of the pen's square beyond the end stays clear.
        if (width > 3) {
            EXPECT_EQ(bitmap.Pixel(80 + width / 2 - 1, 60 - width / 2 + 1), 0u);
        }
    }
}

// Every pixel within half the pen of the path is painted and no other, for random segments, many of them
// partly or wholly off the bitmap.
TEST(WideLine, PaintsExactlyThePixelsNearThePath)
{
    std::mt19937 random(TestSeed());
    std::uniform_int_distribution<int> coordinate(-60, 100), step(-4, 4), penWidth(1, 40);
    for (int round = 0; round < 800; ++round) {
        // Long segments, and the short steps of a traced curve, where the ends' discs hold most of the line.
        const int x0 = coordinate(random), y0 = coordinate(random);
        const bool shortStep = round % 2 == 1;
        const int x1 = shortStep ? x0 + step(random) : coordinate(random);
        const int y1 = shortStep ? y0 + step(random) : coordinate(random);
        const int width = penWidth(random);
        SCOPED_TRACE(testing::Message() << x0 << "," << y0 << " to " << x1 << "," << y1 << " width " << width);
        Bitmap bitmap(48, 40);
        DrawWideLine(bitmap, x0, y0, x1, y1, kInk, width);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 48; ++x) {
                const double excess = PathDistance(x, y, x0, y0, x1, y1, width) - width / 2.0;
                if (std::abs(excess) > 1e-9) {
                    ASSERT_EQ(bitmap.Pixel(x, y) == kInk, excess < 0) << "pixel " << x << "," << y;
                }
            }
    }
    Bitmap bitmap(10, 10);
    DrawWideLine(bitmap, -2000000000, 5, 2000000000, 5, kInk, 36);
    EXPECT_EQ(bitmap.Pixel(0, 0), kInk);
    // Ends at the limits of int, on both axes: the differences do not fit in an int.
    Bitmap diagonal(10, 10);
    DrawWideLine(diagonal, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kInk, 3);
    EXPECT_EQ(diagonal.Pixel(5, 5), kInk);
    EXPECT_NE(diagonal.Pixel(9, 0), kInk);
    RowRuns runs;
    runs.Reset(10, 10);
    RoundPen(4).Line(runs, 5, INT_MAX, 5, INT_MIN, false);
    runs.Join();
    ASSERT_EQ(runs.Row(5).size(), 1u);
    EXPECT_EQ(runs.Row(5)[0].from, 3);
    EXPECT_EQ(runs.Row(5)[0].to, 6);
}

// Reference: breadth-first over single pixels.
int ReferenceFill(Bitmap& bitmap, int x, int y, Rgb border, Rgb color)
{
    std::vector<char> seen(bitmap.Width() * bitmap.Height());
    std::deque<std::pair<int, int>> queue{{x, y}};
    int painted = 0;
    while (!queue.empty()) {
        const auto [px, py] = queue.front();
        queue.pop_front();
        if (!bitmap.Contains(px, py) || seen[py * bitmap.Width() + px] || bitmap.Pixel(px, py) == border)
            continue;
        seen[py * bitmap.Width() + px] = 1;
        bitmap.SetPixel(px, py, color);
        ++painted;
        queue.insert(queue.end(), {{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}});
    }
    return painted;
}

// Random walls, with pixels of the fill colour scattered among the open ones: the fill must pass through
// those, must not slip through diagonal gaps, and a seed on a wall paints nothing.
TEST(BorderFill, MatchesAPixelByPixelFill)
{
    std::mt19937 random(TestSeed());
    for (int round = 0; round < 300; ++round) {
        Bitmap bitmap(37, 23);
        const int wallShare = round % 7;
        for (int i = 0; i < 37 * 23; ++i) {
            const int r = static_cast<int>(random() % 10);
            bitmap.Data()[i] = r < wallShare ? kWall : r == 9 ? kPaint : kInk;
        }
        const int x = static_cast<int>(random() % 37), y = static_cast<int>(random() % 23);
        Bitmap expected = bitmap;
        const int expectedCount = ReferenceFill(expected, x, y, kWall, kPaint);
        BorderFloodFill fill;
        ASSERT_EQ(fill.Fill(bitmap, x, y, kWall, kPaint), expectedCount) << "round " << round;
        ASSERT_EQ(bitmap, expected) << "round " << round;
        EXPECT_EQ(fill.Filled(x, y), expectedCount > 0);
    }
}

// Walls kept as runs, several to a row, overlapping and touching, in any order: the areas marked from a few
// seeds are what pixel-by-pixel fills from those seeds paint.
TEST(BorderFill, AreasBetweenRunsMatchPixelByPixelFills)
{
    std::mt19937 random(TestSeed());
    for (int round = 0; round < 300; ++round) {
        const int width = 1 + static_cast<int>(random() % 40), height = 1 + static_cast<int>(random() % 24);
        RowRuns walls;
        walls.Reset(width, height);
        Bitmap expected(width, height, kInk);
        for (int i = 0, count = static_cast<int>(random() % (2 * width * height / 3 + 1)); i < count; ++i) {
            const int y = static_cast<int>(random() % height), from = static_cast<int>(random() % width);
            const int to = std::min(width - 1, from + static_cast<int>(random() % 3));
            walls.Add(y, from, to);
            for (int x = from; x <= to; ++x)
                expected.SetPixel(x, y, kWall);
        }
        walls.Join();
        RunAreas areas;
        areas.Build(walls);
        for (int seed = 0; seed < 3; ++seed) {
            const int x = static_cast<int>(random() % (width + 2)) - 1, y = static_cast<int>(random() % (height + 2)) - 1;
            areas.Mark(x, y);
            ReferenceFill(expected, x, y, kWall, kPaint);
        }
        Bitmap painted(width, height, kInk);
        for (int y = 0; y < height; ++y) {
            int column = -2;
            for (const RowRuns::Run& run : walls.Row(y)) {
                ASSERT_GE(run.from, column + 2) << "runs of a row are sorted and apart";
                for (int x = run.from; x <= run.to; ++x)
                    painted.SetPixel(x, y, kWall);
                column = run.to;
            }
            areas.MarkedSpans(y, [&](int from, int to) {
                for (int x = from; x <= to; ++x)
                    painted.SetPixel(x, y, kPaint);
            });
        }
        ASSERT_EQ(painted, expected) << "round " << round;
    }
}

TEST(BorderFill, RemembersWhatItFilledUntilReset)
{
    // Two rooms split by a wall column; only the left one is filled.
    Bitmap bitmap(2000, 1000, kPaint);
    for (int y = 0; y < 1000; ++y)
        bitmap.SetPixel(1000, y, kWall);
    BorderFloodFill fill;
    EXPECT_EQ(fill.Fill(bitmap, 3, 999, kWall, kPaint), 1000 * 1000);
    EXPECT_TRUE(fill.Filled(999, 0));
    EXPECT_FALSE(fill.Filled(1000, 0));
    EXPECT_FALSE(fill.Filled(1001, 0));
    EXPECT_EQ(fill.Fill(bitmap, 1000, 5, kWall, kInk), 0);
    // A wall pixel whose top byte the window toolkit has set is still wall.
    bitmap.Data()[1000] |= 0xFF000000u;
    EXPECT_EQ(fill.Fill(bitmap, 1001, 0, kWall, kInk), 1000 * 999);
    EXPECT_EQ(FloodFillBorder(bitmap, -1, 5, kWall, kInk), 0);
    fill.Reset(2000, 1000);
    EXPECT_FALSE(fill.Filled(999, 0));
}

} // namespace
