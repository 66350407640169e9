// BMP files written by tests: any header size, depth, row order and colour masks, so the reader can be
// given both sound pictures and each kind of damage.
#pragma once

#include "worldmap/bitmap.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// What a test file holds; Encode writes it the way the format lays it out.
struct BmpLayout {
    std::uint32_t headerSize = 40;
    std::int32_t width = 5;  // odd, so rows need padding
    std::int32_t height = 3; // negative: rows stored top-down
    std::uint16_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<Rgb> palette;
    std::array<std::uint32_t, 3> masks{}; // written after a 40-byte header or inside a longer one
    bool writeMasks = false;
    // Stored values, top row first: palette indices, packed 16/32-bit values, or 0xRRGGBB for 24 bits.
    std::vector<std::vector<std::uint32_t>> rows;
};

inline void Put16(Bytes& out, std::size_t at, std::uint32_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(Bytes& out, std::size_t at, std::uint32_t v)
{
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

inline Bytes Encode(const BmpLayout& layout)
{
    const bool core = layout.headerSize == 12;
    const bool masksAfterHeader = layout.writeMasks && layout.headerSize == 40;
    const std::size_t paletteAt = 14 + layout.headerSize + (masksAfterHeader ? 12 : 0);
    const std::size_t pixelsAt = paletteAt + layout.palette.size() * (core ? 3 : 4);
    const std::size_t rows = layout.rows.size();
    const std::size_t stride = (static_cast<std::size_t>(std::abs(layout.width)) * layout.bitsPerPixel + 31) / 32 * 4;
    Bytes out(pixelsAt + stride * rows, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    Put32(out, 10, static_cast<std::uint32_t>(pixelsAt));
    Put32(out, 14, layout.headerSize);
    if (core) {
        Put16(out, 18, static_cast<std::uint32_t>(layout.width));
        Put16(out, 20, static_cast<std::uint32_t>(layout.height));
        Put16(out, 22, 1);
        Put16(out, 24, layout.bitsPerPixel);
    } else {
        Put32(out, 18, static_cast<std::uint32_t>(layout.width));
        Put32(out, 22, static_cast<std::uint32_t>(layout.height));
        Put16(out, 26, 1);
        Put16(out, 28, layout.bitsPerPixel);
        Put32(out, 30, layout.compression);
        Put32(out, 46, layout.colorsUsed);
        if (layout.writeMasks)
            for (std::size_t i = 0; i < 3; ++i)
                Put32(out, 54 + 4 * i, layout.masks[i]);
    }
    for (std::size_t i = 0; i < layout.palette.size(); ++i) {
        const std::size_t at = paletteAt + i * (core ? 3 : 4);
        out[at] = static_cast<std::uint8_t>(BlueOf(layout.palette[i]));
        out[at + 1] = static_cast<std::uint8_t>(GreenOf(layout.palette[i]));
        out[at + 2] = static_cast<std::uint8_t>(RedOf(layout.palette[i]));
    }
    for (std::size_t r = 0; r < rows; ++r) {
        const std::size_t storedRow = layout.height < 0 ? r : rows - 1 - r;
        const std::size_t rowAt = pixelsAt + storedRow * stride;
        for (std::size_t x = 0; x < layout.rows[r].size(); ++x) {
            const std::uint32_t v = layout.rows[r][x];
            switch (layout.bitsPerPixel) {
            case 1:
            case 4:
            case 8: {
                const std::size_t bit = x * layout.bitsPerPixel;
                out[rowAt + bit / 8] |= static_cast<std::uint8_t>(v << (8 - layout.bitsPerPixel - bit % 8));
                break;
            }
            case 16:
                Put16(out, rowAt + 2 * x, v);
                break;
            case 24:
                out[rowAt + 3 * x] = static_cast<std::uint8_t>(v);
                out[rowAt + 3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                out[rowAt + 3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
                break;
            default:
                Put32(out, rowAt + 4 * x, v);
            }
        }
    }
    return out;
}

// A 24-bit picture of width × height pixels, all of one colour.
inline Bytes PlainBmp(int width, int height, Rgb color)
{
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.rows.assign(static_cast<std::size_t>(height),
                     std::vector<std::uint32_t>(static_cast<std::size_t>(width), color));
    return Encode(layout);
}
