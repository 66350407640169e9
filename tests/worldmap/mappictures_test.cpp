#include "worldmap/mappictures.h"

#include "support/bmpwriter.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(BuiltInMapPicture, EachIsAWholeMapOfTheBuiltInSize)
{
    for (BuiltInMap which : {BuiltInMap::World, BuiltInMap::Europe, BuiltInMap::NorthAmerica}) {
        SCOPED_TRACE(static_cast<int>(which));
        const Bitmap picture = BuiltInMapPicture(which);
        ASSERT_EQ(picture.Width(), 316);
        ASSERT_EQ(picture.Height(), 158);
        std::set<Rgb> colours;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                colours.insert(picture.Pixel(x, y));
        EXPECT_GE(colours.size(), 3u); // sea, land and coast at least
    }
    EXPECT_NE(BuiltInMapPicture(BuiltInMap::World), BuiltInMapPicture(BuiltInMap::Europe));
}

struct ReplacementCase {
    const char* name;
    Bytes file;
    BmpStatus expected;
};

// "map.bmp" replaces the world picture when it reads as a picture no more than 2048 pixels wide and
// high; anything else leaves the picture in place.
TEST(LoadReplacementWorldMap, ReplacesOnlyWithAReadablePictureOfSensibleSize)
{
    const Bytes garbage = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
    Bytes truncated = PlainBmp(40, 20, 0x00FF00);
    truncated.resize(truncated.size() / 2);
    const ReplacementCase cases[] = {
        {"a larger map", PlainBmp(400, 200, 0x00FF00), BmpStatus::Ok},
        {"at the limit", PlainBmp(2048, 2, 0x00FF00), BmpStatus::Ok},
        {"too wide", PlainBmp(2049, 1, 0x00FF00), BmpStatus::TooLarge},
        {"too high", PlainBmp(1, 2049, 0x00FF00), BmpStatus::TooLarge},
        {"another kind of picture", garbage, BmpStatus::NotBmp},
        {"empty", {}, BmpStatus::NotBmp},
        {"truncated", truncated, BmpStatus::Truncated},
    };
    for (const ReplacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.Write(kReplacementMapFileName, std::string(c.file.begin(), c.file.end()));
        const BmpResult result = LoadReplacementWorldMap(dir.File(kReplacementMapFileName));
        EXPECT_EQ(result.status, c.expected);
        if (c.expected == BmpStatus::Ok) {
            EXPECT_NE(result.width, 316);
            EXPECT_EQ(result.bitmap.Pixel(0, 0), 0x00FF00u);
        } else {
            EXPECT_EQ(result.bitmap, Bitmap());
        }
    }
}

// Released pictures come back as they were; the user's world picture is never released, as its
// file may be gone by then.
TEST(MapPictureStore, ReleasedBuiltInPicturesComeBackAndTheUsersWorldPictureStays)
{
    MapPictureStore store;
    const Bitmap europe = store.Picture(BuiltInMap::Europe);
    store.ReleaseBuiltIn();
    EXPECT_EQ(store.Picture(BuiltInMap::Europe), europe);
    TempDir dir;
    // Of a tall picture the views show the top rows only: those are kept, and the picture's size.
    BmpLayout tall;
    tall.width = 400;
    tall.height = 300;
    tall.rows.assign(300, std::vector<std::uint32_t>(400, 0x00FF00));
    tall.rows[157].assign(400, 0xFF0000);
    const Bytes file = Encode(tall);
    dir.Write(kReplacementMapFileName, std::string(file.begin(), file.end()));
    ASSERT_EQ(store.ReplaceWorld(dir.File(kReplacementMapFileName)), BmpStatus::Ok);
    dir.Write(kReplacementMapFileName, "");
    store.ReleaseBuiltIn();
    EXPECT_EQ(store.WorldWidth(), 400);
    EXPECT_EQ(store.WorldHeight(), 300);
    EXPECT_EQ(store.Picture(BuiltInMap::World).Height(), 158);
    EXPECT_EQ(store.Picture(BuiltInMap::World).Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(store.Picture(BuiltInMap::World).Pixel(399, 157), 0xFF0000u);
}

} // namespace
