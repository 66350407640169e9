// The pictures of the map views: the three built into the program and the replacement world
// picture a user may put beside it as "map.bmp".
//
// The replacement rule: "map.bmp" takes the world picture's place when the BMP reader accepts it
// (uncompressed or bit-field, 1 to 32 bits per pixel) and it is at most kMaxMapSide pixels wide and
// high; the map area then takes its size. Any other file (unreadable, not a BMP, compressed,
// malformed, truncated or larger) is passed over and the built-in world picture stays. Every view shows
// the picture's top rows only (the turned ones turn its columns), so only those are decoded and kept.
#pragma once

#include "worldmap/bitmap.h"
#include "worldmap/bmpfile.h"
#include "worldmap/mapviews.h"

#include <optional>
#include <string>

inline constexpr const char* kReplacementMapFileName = "map.bmp";
// The widest and highest replacement world picture, pixels.
inline constexpr int kMaxMapSide = 2048;

inline constexpr int kBuiltInMapWidth = 316;
inline constexpr int kBuiltInMapHeight = 158;

// A built-in picture, kBuiltInMapWidth × kBuiltInMapHeight.
Bitmap BuiltInMapPicture(BuiltInMap which);

// The pictures of the views as the window keeps them: each built-in one decoded when a view needs
// it, and the world picture replaced by the user's when there is one.
class MapPictureStore {
public:
    const Bitmap& Picture(BuiltInMap which);
    // Frees the decoded built-in pictures once a view is composed from them (a view change decodes
    // them again, in well under a millisecond); the user's world picture stays, as its file may be
    // gone by then.
    void ReleaseBuiltIn();
    // As LoadReplacementWorldMap, into the world picture's place.
    BmpStatus ReplaceWorld(const std::string& path);
    // The world picture's size, pixels, without decoding the built-in one.
    int WorldWidth() const;
    int WorldHeight() const;

private:
    std::optional<Bitmap> m_pictures[3]; // by BuiltInMap
    bool m_worldReplaced = false;
    int m_worldWidth = kBuiltInMapWidth; // the user's picture's size, of which the top rows are kept
    int m_worldHeight = kBuiltInMapHeight;
};

// Reads the replacement world picture at path: Ok with its size and the top rows that the views show,
// or why the file was passed over.
BmpResult LoadReplacementWorldMap(const std::string& path);
