// Wide lines and the bounded flood fill of the map's drawing operations, on a Bitmap.
//
// A line is drawn with a round pen: every pixel whose centre lies within half the pen width of the
// segment is painted, so a line has round ends and consecutive lines join round. An even width puts the
// path on the top-left corner of the pixel (x, y) and an odd one on its centre, so that a horizontal or
// vertical line is exactly `width` pixels across. Everything outside the bitmap is clipped.
//
// The border fill paints every pixel 4-connected to the seed that is not of the border colour, passing
// through pixels of any other colour, the fill colour included. A seed of the border colour fills nothing.
// Colours are compared without the top byte of the pixel.
//
// Both also work on a ByteMap, one byte a pixel, for masks of a few values that want a quarter of the memory.
#pragma once

#include "worldmap/bitmap.h"

#include <cstdint>
#include <vector>

// A round pen: the pixels of its end discs are worked out once, for all the lines it draws.
class RoundPen {
public:
    // A pen width pixels wide; widths below 1 count as 1.
    explicit RoundPen(int width);

    int Width() const { return m_width; }
    // Paints the segment (x0, y0)-(x1, y1), pixel coordinates, in color.
    void Line(Bitmap& bitmap, int x0, int y0, int x1, int y1, Rgb color) const;
    // The same on a byte plane, value for colour. Without startDisc the disc around (x0, y0) is left out
    // where the rest of the line does not cover it: for a polyline whose last line already ended there.
    void Line(ByteMap& plane, int x0, int y0, int x1, int y1, std::uint8_t value, bool startDisc = true) const;

private:
    template <class Pixel>
    void Stroke(Pixel* pixels, int columns, int rows, int x0, int y0, int x1, int y1, Pixel color,
                bool startDisc) const;

    int m_width;
    double m_shift;  // 0.5 for even widths: the path runs on pixel corners
    double m_radius; // half the width
    int m_firstRow;  // first row of the end disc, relative to the row of its point
    std::vector<int> m_left, m_right; // per row of the disc: its columns, relative to the column of its point
};

// Paints the segment (x0, y0)-(x1, y1), pixel coordinates, with a round pen width pixels wide (at least 1).
void DrawWideLine(Bitmap& bitmap, int x0, int y0, int x1, int y1, Rgb color, int width);

// A pen with a position, for polylines on a byte plane: MoveTo sets the position, LineTo draws to a point and
// moves there. A line that goes on from where the last one ended does not paint its start disc again.
class LinePen {
public:
    // Draws on plane, which must outlive the pen; width in pixels.
    LinePen(ByteMap& plane, std::uint8_t value, int width) : m_plane(&plane), m_value(value), m_pen(width) {}

    void MoveTo(int x, int y)
    {
        m_x = x;
        m_y = y;
        m_joined = false;
    }
    void LineTo(int x, int y)
    {
        m_pen.Line(*m_plane, m_x, m_y, x, y, m_value, !m_joined);
        MoveTo(x, y);
        m_joined = true;
    }

private:
    ByteMap* m_plane;
    std::uint8_t m_value;
    RoundPen m_pen;
    int m_x = 0;
    int m_y = 0;
    bool m_joined = false; // the position is the end of a line drawn with this pen
};

// The border flood fill with working memory kept between fills. It also remembers which pixels it has
// filled since the last Reset: a seed in such a pixel would change nothing, since its whole area is done.
class BorderFloodFill {
public:
    // Forgets what was filled and sizes the memory for a width × height bitmap.
    void Reset(int width, int height);

    // Fills from the seed (x, y) with color up to the border colour; returns the number of pixels painted.
    // Nothing when the seed is outside the bitmap or of the border colour. A bitmap of another size than
    // the last Reset's resets first.
    int Fill(Bitmap& bitmap, int x, int y, Rgb border, Rgb color);

    // On a byte plane: paints value over every byte 4-connected to the seed (x, y) that is below limit, and
    // returns how many. value must not be below limit, so that a later seed in the same area finds it done
    // without any record. Nothing when the seed is outside the plane or not below limit.
    int FillBelow(ByteMap& plane, int x, int y, std::uint8_t limit, std::uint8_t value);

    // True when (x, y) was painted by a Fill since the last Reset.
    bool Filled(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height &&
               m_filled[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x)];
    }

private:
    // Row y still to scan over columns left .. right, reached from the span filled in row y - dy.
    struct Pending {
        int y;
        int left;
        int right;
        int dy;
    };

    // Queues the rows above and below the span left .. right just filled in row.
    void PushNeighbours(const Pending& row, int left, int right);

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_filled;
    std::vector<Pending> m_pending;
};

// A single border fill from (x, y); see BorderFloodFill::Fill.
int FloodFillBorder(Bitmap& bitmap, int x, int y, Rgb border, Rgb color);
