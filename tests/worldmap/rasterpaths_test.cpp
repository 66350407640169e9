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
    ByteMap plane(10, 10);
    RoundPen(4).Line(plane, 5, INT_MAX, 5, INT_MIN, 1, false);
    EXPECT_EQ(plane.At(5, 5), 1);
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

// On bytes: levels below the limit are open, the rest walls, the paint itself among them; rows longer than
// the eight bytes a scan takes at a time, seeds on walls and on paint.
TEST(BorderFill, FillBelowMatchesAPixelByPixelFill)
{
    std::mt19937 random(TestSeed());
    for (int round = 0; round < 300; ++round) {
        ByteMap plane(37, 23);
        Bitmap expected(37, 23);
        const int wallShare = round % 7;
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x) {
                const int r = static_cast<int>(random() % 10);
                plane.Row(y)[x] = static_cast<std::uint8_t>(r < wallShare ? 2 + r % 2 : r % 2);
                expected.SetPixel(x, y, r < wallShare ? kWall : kInk);
            }
        const int x = static_cast<int>(random() % 37), y = static_cast<int>(random() % 23);
        const int expectedCount = ReferenceFill(expected, x, y, kWall, kPaint);
        BorderFloodFill fill;
        ASSERT_EQ(fill.FillBelow(plane, x, y, 2, 3), expectedCount) << "round " << round;
        for (int py = 0; py < 23; ++py)
            for (int px = 0; px < 37; ++px)
                if (expected.Pixel(px, py) == kPaint) {
                    ASSERT_EQ(plane.At(px, py), 3) << "round " << round << " pixel " << px << "," << py;
                } else {
                    ASSERT_NE(plane.At(px, py), 3 * (expected.Pixel(px, py) == kInk)) << "round " << round;
                }
        EXPECT_EQ(fill.FillBelow(plane, x, y, 2, 3), 0) << "round " << round;
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
