// The pictures of the map views: the three built into the program and the replacement world
// picture a user may put beside it as "map.bmp".
//
// The replacement rule: "map.bmp" takes the world picture's place when the BMP reader accepts it
// (uncompressed or bit-field, 1 to 32 bits per pixel) and it is at most kMaxMapSide pixels wide and
// high; the map area then takes its size. Any other file (unreadable, not a BMP, compressed,
// malformed, truncated or larger) is passed over and the built-in world picture stays.
#pragma once

#include "worldmap/bitmap.h"
#include "worldmap/bmpfile.h"
#include "worldmap/mapviews.h"

#include <string>

inline constexpr const char* kReplacementMapFileName = "map.bmp";
// The widest and highest replacement world picture, pixels.
inline constexpr int kMaxMapSide = 2048;

// A built-in picture, 316 × 158.
Bitmap BuiltInMapPicture(BuiltInMap which);

// Reads the replacement world picture at path into picture and answers Ok, or leaves picture as it
// is and answers why the file was passed over.
BmpStatus LoadReplacementWorldMap(const std::string& path, Bitmap& picture);
