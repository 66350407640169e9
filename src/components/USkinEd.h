// The skin's window region: a set of pixels given as rectangles, and its stored form "Data".
//
// "Data" is, little-endian: a signed 32-bit byte count N, then, when N > 0, N bytes of region data in
// the layout the Windows region calls use (a 32-byte header: header size 32, type 1, rectangle count,
// rectangle buffer size, bounds left/top/right/bottom; then the rectangles, 16 bytes each, left/top/
// right/bottom as signed 32-bit numbers, right and bottom exclusive, one horizontal band after the
// other from the top). N of 0 or less is no region. Everything read is checked against the bytes
// given before it is used: malformed data of any kind leaves the holder empty and is never read past.
// The platform code turns a holder into a window's shape (platform/windowregion.h).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// A rectangle of pixels, right and bottom exclusive.
struct SkinRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool operator==(const SkinRect&) const = default;
};

class TSkinRegion {
public:
    // Sizes of the region data, bytes.
    static constexpr std::size_t kHeaderSize = 32;
    static constexpr std::size_t kRectSize = 16;

    TSkinRegion() = default;

    // True when there is no shape: a window given it keeps its rectangular outline.
    bool Empty() const { return m_rects.empty(); }
    const std::vector<SkinRect>& Rects() const { return m_rects; }
    // The smallest rectangle holding every pixel of the region; all zero when empty.
    const SkinRect& Bounds() const { return m_bounds; }
    // True when the pixel (x, y) belongs to the region.
    bool Contains(int x, int y) const;

    // Makes this holder a copy of other's region; nullptr leaves it empty.
    void SetRegion(const TSkinRegion* other);
    // Takes the region from region data (header and rectangles). Data that is short, of another type,
    // counts more rectangles than its buffer holds, has a buffer larger than its bytes, or has an empty
    // rectangle or one outside its bounds leaves the holder empty and answers false; so does a region
    // of no rectangles, which would hide the window altogether.
    bool SetRegionData(std::span<const std::uint8_t> bytes);
    // Takes the region made of these rectangles (each non-empty); false and empty otherwise.
    bool SetRects(std::vector<SkinRect> rects);

    // The region data of the held region (what SetRegionData takes); empty when there is no region.
    std::vector<std::uint8_t> RegionData() const;

    // Reads "Data" from the front of data. N ≤ 0 empties the holder and answers true. Fewer than 4
    // bytes, an N larger than the bytes after it, or region data that SetRegionData refuses is
    // malformed: the holder is emptied and the answer is false.
    bool ReadData(std::span<const std::uint8_t> data);
    // "Data" of the held region: exactly four zero bytes when it is empty.
    std::vector<std::uint8_t> WriteData() const;

private:
    std::vector<SkinRect> m_rects;
    SkinRect m_bounds;
};
