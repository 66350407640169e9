// Reading BMP pictures into a Bitmap: the built-in map pictures and a user's replacement world map.
//
// Reads uncompressed pictures of 1, 4 and 8 bits per pixel (through their palette) and of 16, 24 and
// 32 bits per pixel, 16 and 32 also with colour bit-fields; rows stored bottom-up or top-down; the
// core header of 12 bytes and the information headers of 40 to 124 bytes. Compressed pictures
// (run-length, JPEG, PNG) are refused. Every size, offset and count in the file is checked against
// the data before it is used, and a picture larger than the limits is refused before anything is
// allocated, so any input, however malformed or truncated, yields either a picture or a status.
#pragma once

#include "worldmap/bitmap.h"

#include <climits>
#include <cstdint>
#include <span>
#include <string>

enum class BmpStatus {
    Ok,
    FileError,         // the file cannot be opened or read, or is not a regular file
    NotBmp,            // no "BM" signature
    Truncated,         // a header, the palette or the pixels end beyond the data
    UnsupportedHeader, // an information header of an unknown size
    BadDimensions,     // width not positive, height zero
    TooLarge,          // beyond the limits
    UnsupportedFormat, // compressed, or a bit depth this reader does not know
    BadMasks,          // colour bit-fields that are not contiguous or do not fit the pixel
    BadOffset,         // pixel data said to start inside the headers
};

// The largest picture a caller accepts, in pixels.
struct BmpLimits {
    int maxWidth = 16384;
    int maxHeight = 16384;
    std::int64_t maxPixels = std::int64_t{64} << 20;
};

struct BmpResult {
    BmpStatus status = BmpStatus::FileError;
    Bitmap bitmap;  // empty unless status is Ok: the picture, or its top rows when fewer were asked for
    int width = 0;  // the picture's size, pixels, however much of it bitmap holds (0 unless Ok)
    int height = 0;
};

// The rows of a picture that DecodeBmp puts into its bitmap, from the top: all unless fewer are asked for.
inline constexpr int kAllRows = INT_MAX;

// Decodes a BMP file held in memory: the whole file is checked, and the picture's top `rows` rows are
// decoded.
BmpResult DecodeBmp(std::span<const std::uint8_t> data, const BmpLimits& limits = {}, int rows = kAllRows);

// Reads and decodes the BMP file at path, as DecodeBmp. A file longer than any picture within the
// limits could need is refused as TooLarge without being read.
BmpResult ReadBmpFile(const std::string& path, const BmpLimits& limits = {}, int rows = kAllRows);

// A short English name of a status, for logs and test messages.
const char* BmpStatusName(BmpStatus status);
