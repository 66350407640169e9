// The stored outline of the main window against its skin picture: the outline is exactly the pixels
// of columns 0 to 407 that are not the corner colour, in the banded order the window system keeps.
#include "components/USkinEd.h"
#include "worldmap/bmpfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadResource(const char* name)
{
    std::ifstream file(std::string(CHRONIVO_RESOURCES_DIR) + "/skin/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

constexpr Rgb kCorner = MakeRgb(128, 128, 64);

class StoredSkinShape : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<std::uint8_t> bmp = ReadResource("skin.bmp");
        ASSERT_GE(bmp.size(), 54u);
        EXPECT_EQ(bmp[28], 24) << "bits per pixel";
        BmpResult picture = DecodeBmp(bmp);
        ASSERT_EQ(picture.status, BmpStatus::Ok);
        m_picture = std::move(picture.bitmap);
        ASSERT_EQ(m_picture.Width(), 409);
        ASSERT_EQ(m_picture.Height(), 225);
        ASSERT_TRUE(m_shape.ReadData(ReadResource("skin.shape")));
    }

    // The first and last column of row y inside the shape.
    std::pair<int, int> Span(int y) const
    {
        int first = -1;
        int last = -1;
        for (int x = 0; x < 409; ++x)
            if (m_shape.Contains(x, y)) {
                first = first < 0 ? x : first;
                last = x;
            }
        return {first, last};
    }

    Bitmap m_picture;
    TSkinRegion m_shape;
};

TEST_F(StoredSkinShape, HoldsExactlyThePixelsThatAreNotTheCornerColour)
{
    EXPECT_EQ(m_picture.Pixel(0, 0), kCorner);
    EXPECT_EQ(m_shape.Bounds(), (SkinRect{0, 0, 408, 225}));
    int wrong = 0;
    for (int y = 0; y < 225; ++y)
        for (int x = 0; x < 409; ++x) {
            const bool expected = x < 408 && m_picture.Pixel(x, y) != kCorner;
            if (m_shape.Contains(x, y) != expected && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y;
        }
    EXPECT_EQ(wrong, 0);
    for (int y = 0; y < 225; ++y)
        EXPECT_FALSE(m_shape.Contains(408, y)) << y;
}

TEST_F(StoredSkinShape, IsAPanelWithATabAlongTheTop)
{
    for (int y = 0; y <= 10; ++y) {
        const auto [first, last] = Span(y);
        EXPECT_GE(first, 110) << y;
        EXPECT_LE(last, 400) << y;
        EXPECT_GT(last - first, 250) << y;
    }
    EXPECT_GT(Span(40).first, 0);
    for (int y = 41; y <= 194; ++y)
        EXPECT_EQ(Span(y), std::make_pair(0, 407)) << y;
    EXPECT_GT(Span(195).first, 0);
    EXPECT_LT(Span(195).first, Span(224).first);
}

TEST_F(StoredSkinShape, IsInBandsFromTheTop)
{
    // The window system keeps a shape in this form; stored otherwise, the window's shape would come
    // back with other rectangles than those stored.
    const std::vector<SkinRect>& rects = m_shape.Rects();
    for (std::size_t i = 1; i < rects.size(); ++i) {
        const SkinRect& a = rects[i - 1];
        const SkinRect& b = rects[i];
        if (a.top == b.top) {
            EXPECT_EQ(a.bottom, b.bottom) << i;
            EXPECT_LT(a.right, b.left) << i; // apart, not touching
        } else {
            EXPECT_GE(b.top, a.bottom) << i;
        }
    }
}

} // namespace
