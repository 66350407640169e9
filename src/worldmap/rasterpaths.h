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
// Lines can also be kept as runs of columns, row by row (RowRuns), and the border fill worked out on those
// runs (RunAreas): for a mask over a large map of which only a small part shows, where painting and
// filling every pixel would cost far more than the part shown.
#pragma once

#include "worldmap/bitmap.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

// What pens paint on a width × height area, kept as runs of columns row by row instead of as pixels. Runs are
// added in any order; Join then sorts each row's runs and joins those that overlap or touch.
class RowRuns {
public:
    // Columns from .. to of a row, both painted.
    struct Run {
        int from;
        int to;
    };

    // Forgets every run and takes the area's size; negative sizes count as 0.
    void Reset(int width, int height);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Adds columns from .. to of row y, all on the area.
    void Add(int y, int from, int to)
    {
        // A traced curve paints each row in runs that mostly overlap the one before: those are joined at once.
        std::size_t& last = m_lastAdded[static_cast<std::size_t>(y)];
        if (last != kNone && from <= m_added[last].to + 1 && to + 1 >= m_added[last].from) {
            m_added[last].from = std::min(m_added[last].from, from);
            m_added[last].to = std::max(m_added[last].to, to);
            return;
        }
        last = m_added.size();
        m_added.push_back({y, from, to});
    }
    // Sorts and joins the runs of every row; Row reads what the last Join left.
    void Join();
    // Row y's runs after Join, left to right, apart by at least one column.
    std::span<const Run> Row(int y) const
    {
        return {m_runs.data() + m_rowStart[static_cast<std::size_t>(y)],
                m_runs.data() + m_rowStart[static_cast<std::size_t>(y) + 1]};
    }

private:
    struct Added {
        int y;
        int from;
        int to;
    };

    static constexpr std::size_t kNone = SIZE_MAX;

    int m_width = 0;
    int m_height = 0;
    std::vector<Added> m_added;
    std::vector<std::size_t> m_lastAdded; // per row, the run of m_added that row's last Add made or grew
    std::vector<Run> m_runs;
    std::vector<std::size_t> m_rowStart{0}; // row y's runs are m_runs[m_rowStart[y] .. m_rowStart[y + 1])
};

// A round pen: the pixels of its end discs are worked out once, for all the lines it draws.
class RoundPen {
public:
    // A pen width pixels wide; widths below 1 count as 1.
    explicit RoundPen(int width);

    int Width() const { return m_width; }
    // Paints the segment (x0, y0)-(x1, y1), pixel coordinates, in color.
    void Line(Bitmap& bitmap, int x0, int y0, int x1, int y1, Rgb color) const;
    // The same kept as runs. Without startDisc the disc around (x0, y0) is left out where the rest of the line
    // does not cover it: for a polyline whose last line already ended there.
    void Line(RowRuns& runs, int x0, int y0, int x1, int y1, bool startDisc = true) const;

private:
    // Hands each row's run of the segment, clipped to a columns × rows area, to paint(y, from, to).
    template <class PaintRun>
    void Stroke(int columns, int rows, int x0, int y0, int x1, int y1, bool startDisc, PaintRun&& paint) const;

    int m_width;
    double m_shift;  // 0.5 for even widths: the path runs on pixel corners
    double m_radius; // half the width
    int m_firstRow;  // first row of the end disc, relative to the row of its point
    std::vector<int> m_left, m_right; // per row of the disc: its columns, relative to the column of its point
};

// Paints the segment (x0, y0)-(x1, y1), pixel coordinates, with a round pen width pixels wide (at least 1).
void DrawWideLine(Bitmap& bitmap, int x0, int y0, int x1, int y1, Rgb color, int width);

// A pen with a position, for polylines kept as runs: MoveTo sets the position, LineTo draws to a point and
// moves there. A line that goes on from where the last one ended does not paint its start disc again.
class LinePen {
public:
    // Draws into runs, which must outlive the pen; width in pixels.
    LinePen(RowRuns& runs, int width) : m_runs(&runs), m_pen(width) {}

    void MoveTo(int x, int y)
    {
        m_x = x;
        m_y = y;
        m_joined = false;
    }
    void LineTo(int x, int y)
    {
        m_pen.Line(*m_runs, m_x, m_y, x, y, !m_joined);
        MoveTo(x, y);
        m_joined = true;
    }

private:
    RowRuns* m_runs;
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

// The border fill worked out on runs: the walls are the runs of a RowRuns, and the open spans between them
// are joined into areas wherever spans of neighbouring rows share a column, as 4-connected pixels are. A
// seed marks its whole area; the marked spans are what a border fill from those seeds would paint.
class RunAreas {
public:
    // Splits every row of walls' area (joined) into the spans between its runs and joins them into areas.
    void Build(const RowRuns& walls);
    // Marks the area holding (x, y); nothing when the pixel is off the area or on a wall.
    void Mark(int x, int y);
    // Hands each span of row y that lies in a marked area to paint(from, to), left to right.
    template <class PaintSpan> void MarkedSpans(int y, PaintSpan&& paint)
    {
        for (std::size_t i = m_rowStart[static_cast<std::size_t>(y)]; i < m_rowStart[static_cast<std::size_t>(y) + 1]; ++i)
            if (m_marked[Root(i)])
                paint(m_spans[i].from, m_spans[i].to);
    }

private:
    std::size_t Root(std::size_t span);
    void Unite(std::size_t a, std::size_t b);

    int m_width = 0;
    int m_height = 0;
    std::vector<RowRuns::Run> m_spans;
    std::vector<std::size_t> m_rowStart{0}; // as in RowRuns
    std::vector<std::size_t> m_parent;      // areas as a union-find forest over the spans
    std::vector<char> m_marked;             // of each area's root
};
