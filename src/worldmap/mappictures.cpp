#include "worldmap/mappictures.h"

#include "worldmap/mapview.h"

#include <cstddef>

extern const unsigned char kWorldMapBmp[];
extern const std::size_t kWorldMapBmp_size;
extern const unsigned char kEuropeMapBmp[];
extern const std::size_t kEuropeMapBmp_size;
extern const unsigned char kNorthAmericaMapBmp[];
extern const std::size_t kNorthAmericaMapBmp_size;

Bitmap BuiltInMapPicture(BuiltInMap which)
{
    std::span<const std::uint8_t> data(kWorldMapBmp, kWorldMapBmp_size);
    if (which == BuiltInMap::Europe)
        data = {kEuropeMapBmp, kEuropeMapBmp_size};
    else if (which == BuiltInMap::NorthAmerica)
        data = {kNorthAmericaMapBmp, kNorthAmericaMapBmp_size};
    // The pictures are checked by the tests; a failure here would leave an empty picture, not a crash.
    return DecodeBmp(data).bitmap;
}

BmpResult LoadReplacementWorldMap(const std::string& path)
{
    const BmpLimits limits{kMaxMapSide, kMaxMapSide, std::int64_t{kMaxMapSide} * kMaxMapSide};
    return ReadBmpFile(path, limits, kShownBlockHeight);
}

const Bitmap& MapPictureStore::Picture(BuiltInMap which)
{
    std::optional<Bitmap>& picture = m_pictures[static_cast<int>(which)];
    if (!picture)
        picture = BuiltInMapPicture(which);
    return *picture;
}

BmpStatus MapPictureStore::ReplaceWorld(const std::string& path)
{
    BmpResult world = LoadReplacementWorldMap(path);
    if (world.status == BmpStatus::Ok) {
        m_pictures[static_cast<int>(BuiltInMap::World)] = std::move(world.bitmap);
        m_worldReplaced = true;
        m_worldWidth = world.width;
        m_worldHeight = world.height;
    }
    return world.status;
}

void MapPictureStore::ReleaseBuiltIn()
{
    for (int which = 0; which < 3; ++which)
        if (!(m_worldReplaced && which == static_cast<int>(BuiltInMap::World)))
            m_pictures[which].reset();
}

int MapPictureStore::WorldWidth() const
{
    return m_worldWidth;
}

int MapPictureStore::WorldHeight() const
{
    return m_worldHeight;
}
