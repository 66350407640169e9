// The shadow mask, pixel for pixel, against hashes recorded from a known-good build: 64 moments across
// the year, all five views, on the built-in map size, a larger picture's and a tiny one narrower than the
// wide pen. Any change to how the mask is drawn must leave every one of them as it was.
//
// CHRONIVO_PRINT_SHADOW_HASHES=1 prints the table afresh instead of checking it (after a deliberate change
// to the drawing, never to make a failure go away).
#include "worldmap/sunshadow.h"

#include "worldmap/greatcircle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct Moment {
    int month, day;
    double u;
};

// A spread of dates and times of day, the equinoxes and solstices first.
Moment MomentOf(int i)
{
    const Moment fixed[] = {{3, 21, 0.5}, {1, 1, 0.0}, {6, 21, 0.5}, {12, 21, 0.75}};
    if (i < 4)
        return fixed[i];
    return {i % 12 + 1, 1 + (i * 11) % 28, std::fmod(i * 0.3719, 1.0)};
}
constexpr int kMoments = 64;

// The Sun's point of each moment as a rough early formula placed it when the hashes were recorded. These
// tests are about drawing the mask around a point, not about where the Sun stands, so they keep those points.
SunPoint SunOf(const Moment& when)
{
    const double a = ((when.month - 1) * 30.4 + 10 + when.day) * 0.0172;
    const double westLongitude = 15 * (24 * when.u - 12) - (0.13 * std::sin(a) + 0.156 * std::sin(2 * a));
    return {-0.409 * std::cos(a), DegToRad(westLongitude)};
}

MapGeometry GeometryOf(int width, int height, int view)
{
    const int shifts[5][2] = {{0, 0}, {90, 0}, {200, 0}, {-40, 20}, {110, 10}};
    return {width, height, MapViewId{view}, shifts[view][0], shifts[view][1]};
}

// 0 day, 1 twilight, 2 night, 3 anything else.
int MaskClass(const SunShadow& shadow, int x, int y)
{
    const Rgb m = shadow.Mask().Pixel(x, y);
    return m == kShadowDay ? 0 : m == kShadowTwilight ? 1 : m == kShadowNight ? 2 : 3;
}

std::uint32_t Mix(std::uint32_t hash, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        hash = (hash ^ ((value >> (8 * i)) & 0xFF)) * 16777619u;
    return hash;
}

// One moment in one view on all three sizes: the mask, the Sun's pixel, and the frame darkened through the
// mask checked against the pixel rule on a scrambled picture.
std::uint32_t HashOf(const Moment& when, int view)
{
    std::uint32_t hash = 2166136261u;
    for (const auto& [width, height] : {std::pair{316, 158}, {400, 200}, {23, 11}}) {
        const MapGeometry geometry = GeometryOf(width, height, view);
        SunShadow shadow;
        Bitmap picture(width, height);
        for (int i = 0; i < width * height; ++i)
            picture.Data()[i] = static_cast<Rgb>(i * 2654435761u) & 0xFFFFFFu;
        Bitmap frame(width, height);
        const MapPoint sun = shadow.ShadeFrame(frame, picture, geometry, SunOf(when));
        hash = Mix(Mix(hash, static_cast<std::uint32_t>(sun.x)), static_cast<std::uint32_t>(sun.y));
        const Rgb colors[] = {kShadowDay, kShadowTwilight, kShadowNight, 0};
        int wrongPixels = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int m = MaskClass(shadow, x, y);
                hash = Mix(hash, static_cast<std::uint32_t>(m));
                wrongPixels += frame.Pixel(x, y) != DarkenPixel(picture.Pixel(x, y), colors[m]);
            }
        EXPECT_EQ(wrongPixels, 0) << width << " x " << height;
    }
    return hash;
}

// [moment][view], from the build before the mask became one byte a pixel.
const std::uint32_t kExpected[kMoments][5] = {
    {0xcc879951, 0xaa94ef02, 0xa074308c, 0xcb6b1791, 0x6c6b00e9},
    {0x0de4f8c8, 0x8a81fe7c, 0xdff3510e, 0xc14a4f3b, 0x93f5133b},
    {0x18d8a77b, 0xe6427b8b, 0x4ad820c7, 0xd91dd100, 0x0faf6255},
    {0x4391a1eb, 0x3fb75e00, 0x2f1dc64d, 0xf04f3937, 0x154d4c12},
    {0x04940dd1, 0x813a63e6, 0xc1d4c0da, 0xfc324f84, 0x29fe37a5},
    {0x2481e130, 0x15302919, 0x5dfac262, 0x338080be, 0xf2d6048c},
    {0xaeb656eb, 0xda4791ca, 0x3dbef093, 0x8a8672e2, 0xef64295b},
    {0xf1ba46e5, 0x8a4fe6de, 0xd2b89c84, 0xfb095614, 0x2f103834},
    {0xdc11fb37, 0x67f1f105, 0x3a90825b, 0x4ea34c19, 0x829a4790},
    {0x57f9c99c, 0x654deba4, 0xfd1ced65, 0x07cb3457, 0x21bb8b6d},
    {0x073ced70, 0xeecf1b5c, 0x65ba296c, 0x3996b16a, 0xd6cbb637},
    {0xfd2d1817, 0xf2c816ff, 0x0c53feea, 0x8c25b171, 0xa542850a},
    {0x15e2eb07, 0x9c8f2557, 0x070ff801, 0x316d3df2, 0x3375cb63},
    {0xcfdd1838, 0x65e81352, 0x6a6b55a1, 0x3f6e45e0, 0x3845c5d4},
    {0xe0563a38, 0xef398d58, 0xdec88afe, 0x93a38b85, 0x6c7e2666},
    {0xc6031902, 0x13e6b855, 0x0140afce, 0xe011df0b, 0xa1509659},
    {0x10e7ff77, 0xaf857022, 0x7ad0c74d, 0x83b44870, 0x21c1089f},
    {0x7903f03a, 0xed75cea1, 0x7cc9e6a3, 0x9a7a3903, 0x9c94c67c},
    {0x6d4b8be3, 0x9f763512, 0xc46797dd, 0x1aadde1c, 0x4f293c54},
    {0xb2757949, 0x686157f3, 0xd12f0a04, 0xd5a81fc8, 0xa1e8b179},
    {0x7b2a67ba, 0xd4e89837, 0x77a363e2, 0x56b75eb7, 0xc615a7c1},
    {0x6b1b817c, 0x4d48b9bd, 0xd96feeb5, 0x9723d91e, 0x88dd15c7},
    {0x043eceed, 0xca246040, 0xefa2e910, 0x4e49ec7e, 0xbdae2a6a},
    {0x27b4d9b8, 0xc936726c, 0x66d7f319, 0xe289a7b4, 0x2795a982},
    {0xdeeabb09, 0xe623f6bc, 0xb8b18904, 0x73429a5c, 0x1b915c45},
    {0x6c0ba729, 0xb4cdf99b, 0xc71bd2f6, 0xf27980c3, 0x4061d32e},
    {0x2b1f4fca, 0x83a179b3, 0x9d61f917, 0x91940818, 0x54a156f9},
    {0x776ce6fd, 0xd92bb9cd, 0x7987aaf9, 0x650d48fe, 0xebbbd52e},
    {0x7f04b85b, 0xb67e922f, 0x71985315, 0x10e17053, 0x693da5b7},
    {0x8d9afd14, 0x67de5814, 0xbe0bf0ce, 0xde67a34a, 0x1a3ff58b},
    {0x2ac87923, 0xb24b40fa, 0xb50006e7, 0x1a317cfe, 0x2dbad42a},
    {0x9e1dca51, 0x87d9559c, 0x740e2d65, 0x7926fe19, 0x5ab144b6},
    {0xdbeaf286, 0x73bba967, 0x09afa18d, 0x06a96701, 0x403d04d6},
    {0x57c863fb, 0xc3ad99e5, 0x64089cd3, 0x0c57adbd, 0x9b7f6bb5},
    {0xfad18990, 0x155c161a, 0x9fb76c2d, 0x66873440, 0xd7551bf4},
    {0xfefbdd17, 0x56d95d79, 0xead76f66, 0x57b91a4f, 0xf136fd25},
    {0xbcd4e265, 0x0b0e8675, 0x68f913bb, 0x9fee9088, 0x50b903d4},
    {0xbb9525e2, 0x5033940e, 0x10f04ae4, 0xa5eb92b9, 0xb6e439ca},
    {0xcf8bc8cf, 0x4ad70929, 0x918413e9, 0xe8e5385f, 0x096ef71b},
    {0xe8c4b814, 0xb4154051, 0x98bd8717, 0xd07cbaac, 0x5c0ffc95},
    {0xf9098c0d, 0x2e5d2a09, 0x01d14d07, 0xc9c10116, 0xf7f45209},
    {0xa64176ab, 0x71745df7, 0x7349172b, 0xe6fbbdcc, 0x271c49d7},
    {0x3454a97b, 0x479a3b09, 0x404fa6a8, 0x7be2168b, 0x8d7c7897},
    {0xae6dfa8e, 0xd1b51112, 0xe21ce6b1, 0xabadccfb, 0xcf3d7337},
    {0x0e42bf3e, 0x5d32fc04, 0x18607e63, 0x8863c711, 0x25cb3aaf},
    {0x985bb0b1, 0xf7456368, 0x83b0f789, 0x7ac0a54b, 0x069586b0},
    {0x21e2ffce, 0xfc3081ee, 0xa5171499, 0x1d8ff718, 0xf07a7adc},
    {0x875e86a4, 0x0c4d7747, 0x9c3b1899, 0x5bbd4468, 0x7c930eae},
    {0xecd9d923, 0x14507cdf, 0xbbe95e4a, 0xf8ab6a6a, 0xdaf32c60},
    {0x6868ee8c, 0xce5df0dc, 0xce04a3d1, 0x942b75dc, 0xc980034b},
    {0xb8250a4f, 0xe4698007, 0x87c5742c, 0x4c640c00, 0x758ae04c},
    {0x772051f7, 0x04b2b3a8, 0x672a0bce, 0xfe0438ca, 0xd3be2b54},
    {0x863dfd70, 0x9ed6b738, 0x6dfebec9, 0x3efab8fe, 0xfdbefef8},
    {0x982a83ef, 0x2129e87d, 0x3b633275, 0x556bd76c, 0x2e4db48e},
    {0x4fad5a87, 0x43022e77, 0x528a8a03, 0x55320bde, 0x93f26a9b},
    {0x8df2ddbb, 0x81c3197a, 0xec4a6bd8, 0x91d53648, 0x2196e03f},
    {0x17c9c91b, 0x3c8c2bc6, 0x12ead0b8, 0x4464564a, 0xf5f433cd},
    {0x2a0cef21, 0xe5b54a4c, 0x3f35ef32, 0xdef0142b, 0xef4d7d81},
    {0xc3809c14, 0x37fa94a9, 0xd40ae4bb, 0x81ee5162, 0x31854ee6},
    {0x762a5a36, 0x856d3ed8, 0x12b80485, 0x57180aa1, 0xde52395b},
    {0x23b01b71, 0xfba594af, 0x92c59090, 0x678fd249, 0x17292dd4},
    {0xc252c1f8, 0x1cb7db54, 0xd9ef904f, 0xaacf4965, 0xb7ef049c},
    {0x2fea1742, 0x82e2a0ad, 0xfaf80834, 0x05eceeb7, 0xcdb3370e},
    {0x6387cb1d, 0x40085c71, 0x975e20e8, 0x3687ae63, 0x8bfbf7e3},
};

TEST(SunShadowGolden, MasksAndFramesAsRecorded)
{
    const bool print = std::getenv("CHRONIVO_PRINT_SHADOW_HASHES") != nullptr;
    for (int i = 0; i < kMoments; ++i) {
        const Moment when = MomentOf(i);
        if (print)
            std::printf("    {");
        for (int view = 0; view < 5; ++view) {
            SCOPED_TRACE(testing::Message() << "moment " << i << " (" << when.day << "/" << when.month << " u=" << when.u
                                            << ") view " << view);
            const std::uint32_t hash = HashOf(when, view);
            if (print)
                std::printf("0x%08x%s", hash, view < 4 ? ", " : "},\n");
            else
                EXPECT_EQ(hash, kExpected[i][view]) << std::hex << "got 0x" << hash;
        }
    }
}

// The shadow keeps each circle's points between frames; a shadow that has drawn other days, views and sizes
// before must draw what a new one draws.
TEST(SunShadowGolden, ReusedShadowDrawsAsANewOne)
{
    SunShadow reused;
    for (int i = 0; i < 40; ++i) {
        const Moment when = MomentOf((i * 7) % kMoments);
        const int view = (i * 3) % 5;
        const MapGeometry geometry = i % 4 == 3 ? GeometryOf(400, 200, view) : GeometryOf(316, 158, view);
        SunShadow fresh;
        const MapPoint fromReused = reused.DrawSunShadow(geometry, SunOf(when));
        const MapPoint fromFresh = fresh.DrawSunShadow(geometry, SunOf(when));
        SCOPED_TRACE(testing::Message() << "step " << i << " view " << view);
        EXPECT_EQ(fromReused, fromFresh);
        EXPECT_TRUE(std::equal(reused.Mask().Data(),
                               reused.Mask().Data() + static_cast<std::size_t>(geometry.width) * geometry.height,
                               fresh.Mask().Data()));
    }
}

// Frame after frame the Sun's latitude moves a little; a shadow that keeps its circles' points while it moves
// less than kSunLatitudeSlack still draws what a new one draws (at the equinox, where it moves fastest).
TEST(SunShadowGolden, ReusedShadowFollowsTheSunThroughADay)
{
    SunShadow reused;
    const MapGeometry geometry = GeometryOf(316, 158, 0);
    for (int minute = 0; minute < 24 * 60; minute += 7) {
        SunShadow fresh;
        const MapPoint fromReused = reused.DrawSunShadow(geometry, EncodeDate(2026, 3, 20) + minute / 1440.0);
        const MapPoint fromFresh = fresh.DrawSunShadow(geometry, EncodeDate(2026, 3, 20) + minute / 1440.0);
        SCOPED_TRACE(minute);
        EXPECT_EQ(fromReused, fromFresh);
        ASSERT_TRUE(std::equal(reused.Mask().Data(), reused.Mask().Data() + 316 * 158, fresh.Mask().Data()));
    }
}

} // namespace

namespace {

// The fast mask and the plain reference agree pixel for pixel over moments, views and sizes; a frame's
// mask, painted only where the frame shows the map, agrees with the reference there.
TEST(SunShadowReference, FastMaskFollowsThePlainRule)
{
    SunShadow shadow;
    const Bitmap picture(318, 158);
    Bitmap frame(316, 158);
    for (int i = 0; i < kMoments; i += 3) {
        const Moment when = MomentOf(i);
        const int view = i % 5;
        for (const auto& [width, height] : {std::pair{316, 158}, {400, 200}, {23, 11}, {2048, 1024}}) {
            SCOPED_TRACE(testing::Message() << "moment " << i << " view " << view << " size " << width);
            const MapGeometry geometry = GeometryOf(width, height, view);
            const Bitmap reference = ReferenceSunShadowMask(geometry, SunOf(when));
            const auto differing = [&] {
                int count = 0;
                for (int y = 0; y < shadow.Mask().Height(); ++y)
                    for (int x = 0; x < shadow.Mask().Width(); ++x)
                        count += shadow.Mask().Pixel(x, y) != reference.Pixel(x, y);
                return count;
            };
            shadow.DrawSunShadow(geometry, SunOf(when));
            ASSERT_EQ(shadow.Mask().Width(), width);
            ASSERT_EQ(differing(), 0);
            shadow.ShadeFrame(frame, picture, geometry, SunOf(when));
            ASSERT_EQ(shadow.Mask().Width(), std::min(width, 316));
            ASSERT_EQ(differing(), 0);
        }
    }
}

} // namespace
