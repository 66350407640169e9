#include "worldmap/raster.h"

#include "support/casename.h"
#include "support/pixelart.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr Rgb kPaper = MakeRgb(0, 0, 200);
constexpr Rgb kInk = MakeRgb(255, 0, 0);
constexpr Rgb kRim = MakeRgb(0, 0, 0);

TEST(Ellipse, FourByFourDotIsASquareWithoutCorners)
{
    Bitmap bitmap(6, 6, kPaper);
    Ellipse(bitmap, {1, 1, 5, 5}, kInk, kInk);
    const std::vector<std::string> expected = Lines({
        "......",
        "..RR..",
        ".RRRR.",
        ".RRRR.",
        "..RR..",
        "......",
    });
    EXPECT_EQ(Art(bitmap, {{'.', kPaper}, {'R', kInk}}), expected);
}

TEST(Ellipse, EightByEightMarkerWithItsOutline)
{
    Bitmap bitmap(10, 10, kPaper);
    Ellipse(bitmap, {1, 1, 9, 9}, kInk, kRim);
    const std::vector<std::string> expected = Lines({
        "..........",
        "...####...",
        "..#RRRR#..",
        ".#RRRRRR#.",
        ".#RRRRRR#.",
        ".#RRRRRR#.",
        ".#RRRRRR#.",
        "..#RRRR#..",
        "...####...",
        "..........",
    });
    EXPECT_EQ(Art(bitmap, {{'.', kPaper}, {'R', kInk}, {'#', kRim}}), expected);
}

// Right and bottom edges lie outside, every size stays in its box and is symmetric, and the box's
// middle row and column are reached whenever the box is not much wider than high or the reverse.
TEST(Ellipse, StaysInsideItsBoxAndIsSymmetricForEverySmallBox)
{
    for (int w = 1; w <= 14; ++w) {
        for (int h = 1; h <= 14; ++h) {
            SCOPED_TRACE(testing::Message() << w << " x " << h);
            Bitmap bitmap(w + 4, h + 4, kPaper);
            Ellipse(bitmap, {2, 2, 2 + w, 2 + h}, kInk, kInk);
            for (int y = 0; y < bitmap.Height(); ++y) {
                for (int x = 0; x < bitmap.Width(); ++x) {
                    const bool inBox = x >= 2 && x < 2 + w && y >= 2 && y < 2 + h;
                    if (!inBox) {
                        ASSERT_EQ(bitmap.Pixel(x, y), kPaper) << x << "," << y;
                    }
                    ASSERT_EQ(bitmap.Pixel(x, y), bitmap.Pixel(bitmap.Width() - 1 - x, y)) << x << "," << y;
                    ASSERT_EQ(bitmap.Pixel(x, y), bitmap.Pixel(x, bitmap.Height() - 1 - y)) << x << "," << y;
                }
            }
            if (w <= 2 * h && h <= 2 * w) {
                EXPECT_EQ(bitmap.Pixel(2, 2 + h / 2), kInk);
                EXPECT_EQ(bitmap.Pixel(2 + w / 2, 2), kInk);
            }
        }
    }
}

// A figure cut by the bitmap's edges shows exactly the part of the whole figure that falls inside.
TEST(Ellipse, ClippedFigureIsThePartOfTheWholeOne)
{
    Bitmap whole(40, 40, kPaper);
    Ellipse(whole, {5, 8, 31, 27}, kInk, kRim);
    for (const Rect& window : {Rect{0, 0, 12, 12}, Rect{20, 20, 40, 40}, Rect{10, 0, 20, 40}, Rect{0, 15, 40, 18}}) {
        SCOPED_TRACE(testing::Message() << window.left << "," << window.top);
        Bitmap part(window.right - window.left, window.bottom - window.top, kPaper);
        Ellipse(part, {5 - window.left, 8 - window.top, 31 - window.left, 27 - window.top}, kInk, kRim);
        for (int y = 0; y < part.Height(); ++y)
            for (int x = 0; x < part.Width(); ++x)
                ASSERT_EQ(part.Pixel(x, y), whole.Pixel(x + window.left, y + window.top)) << x << "," << y;
    }
}

TEST(Ellipse, EmptyOrFarAwayBoxesDrawNothing)
{
    const Bitmap clean(8, 8, kPaper);
    for (const Rect& box : {Rect{2, 2, 2, 6}, Rect{6, 2, 2, 6}, Rect{-20, -20, -10, -10}, Rect{100, 1, 104, 5},
                            Rect{INT_MIN, INT_MIN, INT_MIN + 4, INT_MIN + 4}, Rect{INT_MAX - 4, 0, INT_MAX, 4}}) {
        Bitmap bitmap = clean;
        Ellipse(bitmap, box, kInk, kInk);
        EXPECT_EQ(bitmap, clean) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
    }
}

TEST(Ellipse, HugeBoxCoveringTheBitmapFillsIt)
{
    Bitmap bitmap(8, 8, kPaper);
    Ellipse(bitmap, {INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2}, kInk, kRim);
    EXPECT_EQ(bitmap, Bitmap(8, 8, kInk));
}

TEST(FillRect, RightAndBottomEdgesStayOutAndTheBitmapClips)
{
    Bitmap bitmap(5, 4, kPaper);
    FillRect(bitmap, {-3, 1, 2, 3}, kInk);
    FillRect(bitmap, {4, -9, INT_MAX, INT_MAX}, kRim);
    FillRect(bitmap, {INT_MIN, INT_MIN, INT_MIN + 1, INT_MAX}, kInk);
    const std::vector<std::string> expected = Lines({
        "....#",
        "RR..#",
        "RR..#",
        "....#",
    });
    EXPECT_EQ(Art(bitmap, {{'.', kPaper}, {'R', kInk}, {'#', kRim}}), expected);
}

// A source whose pixels tell their own place.
Bitmap Numbered(int width, int height)
{
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, MakeRgb(x, y, 77));
    return bitmap;
}

struct CopyCase {
    const char* name;
    int x;
    int y;
    Rect from;
};

void PrintTo(const CopyCase& c, std::ostream* out)
{
    *out << c.name;
}

const CopyCase kCopyCases[] = {
    {"inside", 1, 2, {3, 1, 7, 5}},
    {"source cut left and top", 0, 0, {-2, -3, 4, 3}},
    {"source cut right and bottom", 2, 2, {6, 5, 14, 12}},
    {"target cut on all sides", -2, -1, {0, 0, 10, 8}},
    {"target far away", 1000, 0, {0, 0, 10, 8}},
    {"empty rectangle", 0, 0, {5, 5, 5, 9}},
    {"reversed rectangle", 0, 0, {6, 6, 2, 2}},
    {"extreme offset", INT_MIN, INT_MAX, {0, 0, 10, 8}},
    {"extreme rectangle", 0, 0, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
};

class CopyRectCases : public ::testing::TestWithParam<CopyCase> {};

// Every pixel of target either came from the source pixel the offset names, inside both bitmaps,
// or kept its paper.
TEST_P(CopyRectCases, CopiesExactlyThePixelsInsideBothBitmaps)
{
    const Bitmap source = Numbered(10, 8);
    const CopyCase& c = GetParam();
    Bitmap target(6, 5, kPaper);
    CopyRect(target, c.x, c.y, source, c.from);
    for (int y = 0; y < target.Height(); ++y) {
        for (int x = 0; x < target.Width(); ++x) {
            const long long sx = static_cast<long long>(x) - c.x + c.from.left;
            const long long sy = static_cast<long long>(y) - c.y + c.from.top;
            const bool copied = sx >= c.from.left && sx < c.from.right && sy >= c.from.top && sy < c.from.bottom &&
                                sx >= 0 && sy >= 0 && sx < source.Width() && sy < source.Height();
            const Rgb expected = copied ? source.Pixel(static_cast<int>(sx), static_cast<int>(sy)) : kPaper;
            ASSERT_EQ(target.Pixel(x, y), expected) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(CopyRect, CopyRectCases, ::testing::ValuesIn(kCopyCases), NameOfCase{});

TEST(CopyRect, OverlappingCopyWithinOneBitmapReadsEveryPixelBeforeOverwritingIt)
{
    for (const auto& [dx, dy] : {std::pair{2, 1}, std::pair{-1, -2}, std::pair{1, -1}, std::pair{-2, 2}}) {
        SCOPED_TRACE(testing::Message() << dx << "," << dy);
        Bitmap bitmap = Numbered(9, 7);
        Bitmap expected = bitmap;
        const Bitmap original = bitmap;
        CopyRect(expected, 2 + dx, 2 + dy, original, {2, 2, 7, 6});
        CopyRect(bitmap, 2 + dx, 2 + dy, bitmap, {2, 2, 7, 6});
        EXPECT_EQ(bitmap, expected);
    }
}

TEST(Bitmap, PixelLeavesOutTheTopByteThatMakeOpaqueSets)
{
    Bitmap bitmap(3, 2, kInk);
    bitmap.Row(1)[2] = 0x12345678;
    MakeOpaque(bitmap);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(bitmap.Data()[i] >> 24, 0xFFu);
    EXPECT_EQ(bitmap.Pixel(0, 0), kInk);
    EXPECT_EQ(bitmap.Pixel(2, 1), 0x345678u);
}

} // namespace
