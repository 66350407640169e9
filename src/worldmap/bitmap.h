// A picture in memory: 32-bit pixels, 0x00RRGGBB, rows top to bottom. The map frames are drawn into
// bitmaps by the core; the window shows them without copying.
//
// The top byte of a pixel is not part of its colour, and Pixel() leaves it out. The core writes it
// as 0; the window toolkit's painter, lettering the map on the same buffer, writes it as 0xFF, and
// a frame is made wholly opaque (MakeOpaque in raster.h) before the window shows it.
#pragma once

#include "worldmap/pixelplane.h"

#include <cstdint>

using Rgb = std::uint32_t; // 0x00RRGGBB

constexpr Rgb MakeRgb(int r, int g, int b)
{
    return (static_cast<Rgb>(r & 0xFF) << 16) | (static_cast<Rgb>(g & 0xFF) << 8) | static_cast<Rgb>(b & 0xFF);
}
constexpr int RedOf(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int GreenOf(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Rgb c) { return static_cast<int>(c & 0xFF); }

class Bitmap : public PixelPlane<Rgb> {
public:
    using PixelPlane::PixelPlane;

    // The pixel at (x, y); 0 outside the bitmap.
    Rgb Pixel(int x, int y) const { return Contains(x, y) ? m_pixels[Index(x, y)] & 0x00FFFFFF : 0; }
    // Sets the pixel at (x, y); nothing outside the bitmap.
    void SetPixel(int x, int y, Rgb color)
    {
        if (Contains(x, y))
            m_pixels[Index(x, y)] = color;
    }

    // Same size and colours (top bytes aside).
    bool operator==(const Bitmap& other) const
    {
        if (m_width != other.m_width || m_height != other.m_height)
            return false;
        for (std::size_t i = 0; i < m_pixels.size(); ++i)
            if (((m_pixels[i] ^ other.m_pixels[i]) & 0x00FFFFFF) != 0)
                return false;
        return true;
    }
};
