// A picture in memory: 32-bit pixels, 0x00RRGGBB, rows top to bottom. The map frames are drawn into
// bitmaps by the core; the window shows them without copying.
//
// The top byte of a pixel is not part of its colour, and Pixel() leaves it out. The core writes it
// as 0; the window toolkit's painter, lettering the map on the same buffer, writes it as 0xFF, and
// a frame is made wholly opaque (MakeOpaque in raster.h) before the window shows it.
#pragma once

#include <cstdint>
#include <vector>

using Rgb = std::uint32_t; // 0x00RRGGBB

constexpr Rgb MakeRgb(int r, int g, int b)
{
    return (static_cast<Rgb>(r & 0xFF) << 16) | (static_cast<Rgb>(g & 0xFF) << 8) | static_cast<Rgb>(b & 0xFF);
}
constexpr int RedOf(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int GreenOf(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Rgb c) { return static_cast<int>(c & 0xFF); }

class Bitmap {
public:
    Bitmap() = default;
    // A width × height bitmap filled with fill; negative sizes count as 0.
    Bitmap(int width, int height, Rgb fill = 0)
        : m_width(width > 0 ? width : 0), m_height(height > 0 ? height : 0),
          m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), fill)
    {
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    // The pixel at (x, y); 0 outside the bitmap.
    Rgb Pixel(int x, int y) const { return Contains(x, y) ? m_pixels[Index(x, y)] & 0x00FFFFFF : 0; }
    // Sets the pixel at (x, y); nothing outside the bitmap.
    void SetPixel(int x, int y, Rgb color)
    {
        if (Contains(x, y))
            m_pixels[Index(x, y)] = color;
    }

    Rgb* Row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width); }
    const Rgb* Row(int y) const
    {
        return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
    }
    Rgb* Data() { return m_pixels.data(); }
    const Rgb* Data() const { return m_pixels.data(); }

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

private:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
    }

    int m_width = 0;
    int m_height = 0;
    std::vector<Rgb> m_pixels;
};
