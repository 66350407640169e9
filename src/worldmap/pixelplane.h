// A plane of pixels in memory, rows top to bottom, each pixel one value of type Pixel: the pictures of
// the map (Bitmap, 32-bit colours) and its masks (ByteMap, one byte a pixel) are both such planes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

template <class Pixel> class PixelPlane {
public:
    PixelPlane() = default;
    // A width × height plane filled with fill; negative sizes count as 0.
    PixelPlane(int width, int height, Pixel fill = Pixel{})
        : m_width(width > 0 ? width : 0), m_height(height > 0 ? height : 0),
          m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), fill)
    {
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    // The value at (x, y), which must lie on the plane.
    Pixel At(int x, int y) const { return m_pixels[Index(x, y)]; }

    Pixel* Row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width); }
    const Pixel* Row(int y) const
    {
        return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
    }
    Pixel* Data() { return m_pixels.data(); }
    const Pixel* Data() const { return m_pixels.data(); }

protected:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
    }

    int m_width = 0;
    int m_height = 0;
    std::vector<Pixel> m_pixels;
};

// A plane of one byte a pixel, for masks.
using ByteMap = PixelPlane<std::uint8_t>;
