// The skin's region and its stored form "Data": the layout, the round trip, and malformed data,
// which must leave the holder empty without reading past the bytes given.
#include "components/USkinEd.h"

#include "support/casename.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const Bytes& in, std::size_t at)
{
    return in[at] | in[at + 1] << 8 | in[at + 2] << 16 | static_cast<std::uint32_t>(in[at + 3]) << 24;
}

// Two bands: a tab over a wider body, as the skin has.
const std::vector<SkinRect> kShape = {{118, 0, 398, 11}, {0, 11, 408, 200}, {10, 200, 398, 225}};

Bytes ShapeData()
{
    TSkinRegion region;
    EXPECT_TRUE(region.SetRects(kShape));
    return region.WriteData();
}

TEST(SkinRegionData, IsTheCountThenHeaderAndRectanglesAndReadsBackTheSame)
{
    const Bytes data = ShapeData();
    ASSERT_EQ(data.size(), 4u + 32 + 3 * 16);
    EXPECT_EQ(Get32(data, 0), 32u + 3 * 16);               // N
    EXPECT_EQ(Get32(data, 4), 32u);                        // header size
    EXPECT_EQ(Get32(data, 8), 1u);                         // rectangles
    EXPECT_EQ(Get32(data, 12), 3u);                        // count
    EXPECT_EQ(Get32(data, 16), 48u);                       // buffer size
    EXPECT_EQ(Bytes(data.begin() + 20, data.begin() + 36), // bounds 0 0 408 225
              (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 152, 1, 0, 0, 225, 0, 0, 0}));
    EXPECT_EQ(Get32(data, 36), 118u); // first rectangle's left

    TSkinRegion read;
    ASSERT_TRUE(read.ReadData(data));
    EXPECT_EQ(read.Rects(), kShape);
    EXPECT_EQ(read.Bounds(), (SkinRect{0, 0, 408, 225}));
    EXPECT_EQ(read.WriteData(), data);
}

TEST(SkinRegionData, NoRegionIsFourZeroBytesAndAnyCountUpToZeroReadsToNoRegion)
{
    EXPECT_EQ(TSkinRegion().WriteData(), Bytes(4, 0));
    for (const std::int32_t n : {0, -1, -960, INT32_MIN}) {
        SCOPED_TRACE(n);
        Bytes data(4);
        Put32(data, 0, static_cast<std::uint32_t>(n));
        TSkinRegion region;
        ASSERT_TRUE(region.SetRects(kShape));
        EXPECT_TRUE(region.ReadData(data));
        EXPECT_TRUE(region.Empty());
        EXPECT_EQ(region.WriteData(), Bytes(4, 0));
    }
}

struct MalformedCase {
    const char* name;
    std::vector<std::pair<std::size_t, std::uint32_t>> changes; // byte offset in "Data", new value
};

class MalformedRegionData : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedRegionData, IsNoRegion)
{
    Bytes data = ShapeData();
    for (const auto& [at, value] : GetParam().changes)
        Put32(data, at, value);
    TSkinRegion region;
    ASSERT_TRUE(region.SetRects(kShape));
    EXPECT_FALSE(region.ReadData(data));
    EXPECT_TRUE(region.Empty());
}

INSTANTIATE_TEST_SUITE_P(SkinRegionData, MalformedRegionData,
                         ::testing::Values(MalformedCase{"N one more than what follows", {{0, 32 + 48 + 1}}},
                                           MalformedCase{"a huge N", {{0, 0x7FFFFFFF}}},
                                           MalformedCase{"N too short for the header", {{0, 31}}},
                                           MalformedCase{"N too short for the rectangles", {{0, 32 + 47}}},
                                           MalformedCase{"header size not 32", {{4, 40}}},
                                           MalformedCase{"type not rectangles", {{8, 2}}},
                                           MalformedCase{"no rectangles", {{12, 0}}},
                                           MalformedCase{"count larger than the buffer", {{16, 47}}},
                                           MalformedCase{"buffer larger than the bytes", {{12, 4}, {16, 64}}},
                                           MalformedCase{"count that wraps in 32 bits", {{12, 0x10000001}}},
                                           MalformedCase{"negative buffer size", {{16, 0xFFFFFFF0}}},
                                           MalformedCase{"rectangle outside the bounds", {{36 + 8, 409}}},
                                           MalformedCase{"empty rectangle", {{36 + 8, 118}}},
                                           MalformedCase{"right before left", {{36 + 8, 100}}}),
                         NameOfCase{});

TEST(SkinRegionData, DataTooShortToHoldItsCountIsNoRegion)
{
    TSkinRegion region;
    EXPECT_FALSE(region.ReadData(Bytes{1, 0, 0}));
    EXPECT_TRUE(region.Empty());
}

TEST(SkinRegionData, NeverReadsPastTheBytesGiven)
{
    // The whole data sits in the buffer, but only a prefix is given: a reader that trusts N would
    // find a sound region beyond the end.
    const Bytes data = ShapeData();
    for (std::size_t size = 0; size < data.size(); ++size) {
        TSkinRegion region;
        EXPECT_FALSE(region.ReadData(std::span(data.data(), size))) << size;
        EXPECT_TRUE(region.Empty());
    }
}

} // namespace
