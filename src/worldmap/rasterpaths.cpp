#include "worldmap/rasterpaths.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

// ceil and floor to int, clamped to low .. high first so far-off points cannot overflow; plain conversions
// keep these off the library calls that std::ceil and std::floor become without SSE4.1.
int CeilWithin(double v, int low, int high)
{
    v = std::clamp(v, static_cast<double>(low), static_cast<double>(high));
    const int i = static_cast<int>(v);
    return i + static_cast<int>(i < v); // no branch: which way it goes is as good as random
}

int FloorWithin(double v, int low, int high)
{
    v = std::clamp(v, static_cast<double>(low), static_cast<double>(high));
    const int i = static_cast<int>(v);
    return i - static_cast<int>(i > v);
}

// Paints count pixels from pixels on, four at a time, the last four overlapping the ones before rather than
// finishing pixel by pixel; count is more than 16.
void FillLongRun(Rgb* pixels, int count, Rgb color)
{
    const Rgb four[4] = {color, color, color, color};
    for (int i = 0; i < count - 4; i += 4)
        std::memcpy(pixels + i, four, sizeof four);
    std::memcpy(pixels + count - 4, four, sizeof four);
}

// Paints columns left .. right of a row. Runs of 4 to 16 pixels, a 12-pixel pen's, take four overlapping stores
// and no loop whose length varies from row to row; kept small so that the pen's row loop takes it in.
inline void FillSpan(Rgb* row, int left, int right, Rgb color)
{
    const int count = right - left + 1;
    Rgb* pixels = row + left;
    if (count > 16) {
        FillLongRun(pixels, count, color);
    } else if (count >= 4) {
        const Rgb four[4] = {color, color, color, color};
        const int last = count - 4;
        std::memcpy(pixels, four, sizeof four);
        std::memcpy(pixels + std::min(4, last), four, sizeof four);
        std::memcpy(pixels + std::min(8, last), four, sizeof four);
        std::memcpy(pixels + last, four, sizeof four);
    } else {
        for (int i = 0; i < count; ++i)
            pixels[i] = color;
    }
}

// The band beside a segment, the stadium without its end discs, cut row by row. Along the segment the band
// lies where 0 <= (p - A)·d <= |d|², across it where |(p - A)×d| <= r·|d|; on a row each of these bounds is
// a column that moves linearly with the row, so a row costs a few multiplications and no division.
//
// Most of the band lies inside the end discs anyway: outside both, a point is further than
// s0 = √(r² − |d|²/4) from the segment's line. Only the rows of those two thin strips (s0 .. r either side)
// need the band at all, which for the short steps of a traced curve is a few rows instead of all of them.
class Band {
public:
    Band(double ax, double ay, double dx, double dy, double r) : m_ay(ay)
    {
        const double lengthSquared = dx * dx + dy * dy;
        if (lengthSquared == 0)
            return; // no band; the strips stay empty
        const double length = std::sqrt(lengthSquared);
        // The strips' rows: the segment's own rows, moved by s0 .. r either way along the normal's row
        // component, with a hair of margin so that rounding never drops a row.
        const double s0 = length >= 2 * r ? 0.0 : std::sqrt(r * r - lengthSquared / 4);
        const double normalRow = std::abs(dx) / length;
        const double inner = s0 * normalRow - 1e-7;
        const double outer = r * normalRow + 1e-7;
        const double top = ay + std::min(dy, 0.0);
        const double bottom = ay + std::max(dy, 0.0);
        m_stripFirst = {CeilWithin(top + inner, INT_MIN / 2, INT_MAX / 2),
                        CeilWithin(top - outer, INT_MIN / 2, INT_MAX / 2)};
        m_stripLast = {FloorWithin(bottom + outer, INT_MIN / 2, INT_MAX / 2),
                       FloorWithin(bottom - inner, INT_MIN / 2, INT_MAX / 2)};
        if (m_stripFirst[0] > m_stripLast[0] && m_stripFirst[1] > m_stripLast[1])
            return; // the end discs hold the whole line

        constexpr double unbounded = 1e300;
        if (dy == 0) {
            m_from = {ax + std::min(dx, 0.0), -unbounded};
            m_to = {ax + std::max(dx, 0.0), unbounded};
        } else if (dx == 0) {
            m_from = {ax - r, -unbounded};
            m_to = {ax + r, unbounded};
        } else {
            const double along = lengthSquared / dx;
            const double across = r * length / std::abs(dy);
            m_from = {ax + std::min(along, 0.0), ax - across};
            m_to = {ax + std::max(along, 0.0), ax + across};
            m_alongSlope = -dy / dx;
            m_acrossSlope = dx / dy;
        }
    }

    // True when on row y the band may reach beyond the end discs.
    bool Matters(int y) const
    {
        return (y >= m_stripFirst[0] && y <= m_stripLast[0]) || (y >= m_stripFirst[1] && y <= m_stripLast[1]);
    }

    // The rows of strip 0 or 1 (first > last when empty).
    void Strip(int strip, int& first, int& last) const
    {
        first = m_stripFirst[strip];
        last = m_stripLast[strip];
    }

    // The band's columns on row y; false when it misses the row.
    bool Row(double y, double& from, double& to) const
    {
        const double ey = y - m_ay;
        from = std::max(m_from[0] + ey * m_alongSlope, m_from[1] + ey * m_acrossSlope);
        to = std::min(m_to[0] + ey * m_alongSlope, m_to[1] + ey * m_acrossSlope);
        return from <= to;
    }

private:
    double m_ay;
    std::array<double, 2> m_from{}, m_to{};
    double m_alongSlope = 0, m_acrossSlope = 0;
    std::array<int, 2> m_stripFirst{1, 1}, m_stripLast{0, 0};
};

} // namespace

RoundPen::RoundPen(int width)
    : m_width(std::max(width, 1)), m_shift(m_width % 2 == 0 ? 0.5 : 0.0), m_radius(m_width / 2.0)
{
    // Pixel centres are at integer coordinates; an even pen sits on the corner between four of them.
    m_firstRow = CeilWithin(-m_shift - m_radius, INT_MIN / 2, INT_MAX / 2);
    const int lastRow = FloorWithin(-m_shift + m_radius, INT_MIN / 2, INT_MAX / 2);
    for (int row = m_firstRow; row <= lastRow; ++row) {
        const double dy = row + m_shift;
        const double half = std::sqrt(std::max(0.0, m_radius * m_radius - dy * dy));
        m_left.push_back(CeilWithin(-m_shift - half, INT_MIN / 2, INT_MAX / 2));
        m_right.push_back(FloorWithin(-m_shift + half, INT_MIN / 2, INT_MAX / 2));
    }
}

void RoundPen::Line(Bitmap& bitmap, int x0, int y0, int x1, int y1, Rgb color) const
{
    Stroke(bitmap.Width(), bitmap.Height(), x0, y0, x1, y1, true,
           [&bitmap, color](int y, int from, int to) { FillSpan(bitmap.Row(y), from, to, color); });
}

void RoundPen::Line(RowRuns& runs, int x0, int y0, int x1, int y1, bool startDisc) const
{
    Stroke(runs.Width(), runs.Height(), x0, y0, x1, y1, startDisc,
           [&runs](int y, int from, int to) { runs.Add(y, from, to); });
}

template <class PaintRun>
void RoundPen::Stroke(int columns, int rows, int x0, int y0, int x1, int y1, bool startDisc, PaintRun&& paint) const
{
    const int discRows = static_cast<int>(m_left.size());
    // Row sums in 64 bits: the ends may lie anywhere an int reaches.
    const long long wideFirst = static_cast<long long>(std::min(y0, y1)) + m_firstRow;
    const long long wideLast = static_cast<long long>(std::max(y0, y1)) + m_firstRow + discRows - 1;
    const int firstRow = static_cast<int>(std::clamp<long long>(wideFirst, 0, rows));
    const int lastRow = static_cast<int>(std::clamp<long long>(wideLast, -1, rows - 1));
    const int lastColumn = columns - 1;
    const Band band(x0 - m_shift, y0 - m_shift, static_cast<double>(x1) - x0, static_cast<double>(y1) - y0, m_radius);
    const int* discLeft = m_left.data();
    const int* discRight = m_right.data();
    // The run of row y, clipped, or false when nothing of it is on the bitmap.
    const auto clip = [lastColumn](long long left, long long right, int& from, int& to) {
        from = static_cast<int>(std::max(left, 0LL));
        to = static_cast<int>(std::min<long long>(right, lastColumn));
        return from <= to;
    };
    const auto addBand = [&](int y, long long& left, long long& right) {
        double from, to;
        if (band.Matters(y) && band.Row(y, from, to)) {
            left = std::min<long long>(left, CeilWithin(from, -1, lastColumn + 1));
            right = std::max<long long>(right, FloorWithin(to, -1, lastColumn + 1));
        }
    };

    if (!startDisc) {
        // The start disc is painted already, and with it every pixel of the band outside the band's strips:
        // what is left is the end disc's rows, with the band where it pokes out, and the strips' other rows.
        // The band with one end disc is convex too, so each row is one run.
        const long long discFirst = static_cast<long long>(y1) + m_firstRow;
        const long long discLast = discFirst + discRows - 1;
        const int discFrom = static_cast<int>(std::clamp<long long>(discFirst, 0, rows));
        const int discTo = static_cast<int>(std::clamp<long long>(discLast, -1, rows - 1));
        for (int y = discFrom; y <= discTo; ++y) {
            long long left = static_cast<long long>(x1) + discLeft[y - discFirst];
            long long right = static_cast<long long>(x1) + discRight[y - discFirst];
            addBand(y, left, right);
            int from, to;
            if (clip(left, right, from, to))
                paint(y, from, to);
        }
        for (int strip = 0; strip < 2; ++strip) {
            int first, last;
            band.Strip(strip, first, last);
            for (int y = std::max(first, 0); y <= std::min(last, rows - 1); ++y) {
                if (y >= discFirst && y <= discLast)
                    continue;
                long long left = LLONG_MAX;
                long long right = LLONG_MIN;
                addBand(y, left, right);
                int from, to;
                if (clip(left, right, from, to))
                    paint(y, from, to);
            }
        }
        return;
    }

    for (int y = firstRow; y <= lastRow; ++y) {
        // Wide enough that no far-off end can overflow before the clipping below.
        long long left = LLONG_MAX;
        long long right = LLONG_MIN;
        // The two end discs, from the pen's table.
        const long long rowOfStart = static_cast<long long>(y) - y0 - m_firstRow;
        if (rowOfStart >= 0 && rowOfStart < discRows) {
            left = static_cast<long long>(x0) + discLeft[rowOfStart];
            right = static_cast<long long>(x0) + discRight[rowOfStart];
        }
        const long long rowOfEnd = static_cast<long long>(y) - y1 - m_firstRow;
        if (rowOfEnd >= 0 && rowOfEnd < discRows) {
            left = std::min(left, static_cast<long long>(x1) + discLeft[rowOfEnd]);
            right = std::max(right, static_cast<long long>(x1) + discRight[rowOfEnd]);
        }
        // The stadium is convex, so the pieces together make one run on the row: its ends are the outermost ends
        // of the pieces, even of a piece too thin to hold a pixel centre.
        addBand(y, left, right);
        int from, to;
        if (clip(left, right, from, to))
            paint(y, from, to);
    }
}

void DrawWideLine(Bitmap& bitmap, int x0, int y0, int x1, int y1, Rgb color, int width)
{
    RoundPen(width).Line(bitmap, x0, y0, x1, y1, color);
}

void BorderFloodFill::Reset(int width, int height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_filled.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), 0);
}

int BorderFloodFill::Fill(Bitmap& bitmap, int x, int y, Rgb border, Rgb color)
{
    if (bitmap.Width() != m_width || bitmap.Height() != m_height)
        Reset(bitmap.Width(), bitmap.Height());
    if (!bitmap.Contains(x, y) || (bitmap.Pixel(x, y) & 0xFFFFFFu) == (border & 0xFFFFFFu))
        return 0;

    // Pixels already of the fill colour are passable, so for those only the record tells what is done. Colours
    // are compared without the top byte, which the window toolkit may have set.
    Rgb* pixels = bitmap.Data();
    std::uint8_t* filled = m_filled.data();
    border &= 0xFFFFFFu;
    const auto open = [&](std::size_t i) {
        const Rgb pixel = pixels[i] & 0xFFFFFFu;
        return pixel != border && (pixel != (color & 0xFFFFFFu) || !filled[i]);
    };
    const auto index = [&](int column, int row) {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(column);
    };

    int painted = 0;
    m_pending.clear();
    // The seed's own row, scanned as if reached from both sides.
    m_pending.push_back({y, x, x, 0});
    while (!m_pending.empty()) {
        const Pending row = m_pending.back();
        m_pending.pop_back();
        if (row.y < 0 || row.y >= m_height)
            continue;
        const std::size_t start = index(0, row.y);
        int column = row.left;
        while (column <= row.right) {
            if (!open(start + column)) {
                ++column;
                continue;
            }
            int left = column;
            while (left > 0 && open(start + left - 1))
                --left;
            int right = column;
            while (right < m_width - 1 && open(start + right + 1))
                ++right;
            FillSpan(pixels + start, left, right, color);
            std::memset(filled + start + left, 1, static_cast<std::size_t>(right - left + 1));
            painted += right - left + 1;

            PushNeighbours(row, left, right);
            column = right + 2;
        }
    }
    return painted;
}

void BorderFloodFill::PushNeighbours(const Pending& row, int left, int right)
{
    // Onward, away from the row we came from, over the whole span; back towards it only where the span reaches
    // past the one we came from, since the rest of that row is filled already.
    if (row.dy == 0) {
        m_pending.push_back({row.y - 1, left, right, -1});
        m_pending.push_back({row.y + 1, left, right, 1});
    } else {
        m_pending.push_back({row.y + row.dy, left, right, row.dy});
        if (left < row.left - 1)
            m_pending.push_back({row.y - row.dy, left, row.left - 2, -row.dy});
        if (right > row.right + 1)
            m_pending.push_back({row.y - row.dy, row.right + 2, right, -row.dy});
    }
}

int FloodFillBorder(Bitmap& bitmap, int x, int y, Rgb border, Rgb color)
{
    BorderFloodFill fill;
    return fill.Fill(bitmap, x, y, border, color);
}

void RowRuns::Reset(int width, int height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_added.clear();
    m_lastAdded.assign(static_cast<std::size_t>(m_height), kNone);
    m_runs.clear();
    m_rowStart.assign(static_cast<std::size_t>(m_height) + 1, 0);
}

void RowRuns::Join()
{
    // Into rows by counting, then each row's few runs sorted and joined in place: the rows are done in order
    // and a row never grows, so what is written never overtakes what is still to be read.
    m_rowStart.assign(static_cast<std::size_t>(m_height) + 1, 0);
    for (const Added& run : m_added)
        ++m_rowStart[static_cast<std::size_t>(run.y) + 1];
    for (std::size_t y = 0; y < static_cast<std::size_t>(m_height); ++y)
        m_rowStart[y + 1] += m_rowStart[y];
    m_runs.resize(m_added.size());
    std::vector<std::size_t> next(m_rowStart.begin(), m_rowStart.end() - 1);
    for (const Added& run : m_added)
        m_runs[next[static_cast<std::size_t>(run.y)]++] = {run.from, run.to};
    m_added.clear();
    std::fill(m_lastAdded.begin(), m_lastAdded.end(), kNone);

    std::size_t written = 0;
    for (std::size_t y = 0; y < static_cast<std::size_t>(m_height); ++y) {
        const auto first = m_runs.begin() + static_cast<std::ptrdiff_t>(m_rowStart[y]);
        const auto last = m_runs.begin() + static_cast<std::ptrdiff_t>(m_rowStart[y + 1]);
        // A row holds a handful of runs: sorted by insertion.
        for (auto run = first; run != last; ++run)
            for (auto at = run; at != first && (at - 1)->from > at->from; --at)
                std::iter_swap(at - 1, at);
        m_rowStart[y] = written;
        for (auto run = first; run != last; ++run) {
            if (written > m_rowStart[y] && run->from <= m_runs[written - 1].to + 1)
                m_runs[written - 1].to = std::max(m_runs[written - 1].to, run->to);
            else
                m_runs[written++] = *run;
        }
    }
    m_rowStart[static_cast<std::size_t>(m_height)] = written;
    m_runs.resize(written);
}

void RunAreas::Build(const RowRuns& walls)
{
    m_width = walls.Width();
    m_height = walls.Height();
    m_spans.clear();
    m_rowStart.assign(static_cast<std::size_t>(m_height) + 1, 0);
    for (int y = 0; y < m_height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y);
        m_rowStart[row] = m_spans.size();
        int column = 0;
        for (const RowRuns::Run& wall : walls.Row(y)) {
            if (wall.from > column)
                m_spans.push_back({column, wall.from - 1});
            column = wall.to + 1;
        }
        if (column < m_width)
            m_spans.push_back({column, m_width - 1});
    }
    m_rowStart[static_cast<std::size_t>(m_height)] = m_spans.size();
    m_parent.resize(m_spans.size());
    for (std::size_t i = 0; i < m_parent.size(); ++i)
        m_parent[i] = i;
    m_marked.assign(m_spans.size(), 0);

    // Spans of neighbouring rows that share a column are one area; both rows' spans are in order, so one pass
    // along the two finds every such pair.
    for (std::size_t row = 1; row < static_cast<std::size_t>(m_height); ++row) {
        std::size_t above = m_rowStart[row - 1];
        std::size_t below = m_rowStart[row];
        while (above < m_rowStart[row] && below < m_rowStart[row + 1]) {
            const RowRuns::Run& a = m_spans[above];
            const RowRuns::Run& b = m_spans[below];
            if (std::max(a.from, b.from) <= std::min(a.to, b.to))
                Unite(above, below);
            if (a.to < b.to)
                ++above;
            else
                ++below;
        }
    }
}

void RunAreas::Mark(int x, int y)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    const std::size_t row = static_cast<std::size_t>(y);
    for (std::size_t i = m_rowStart[row]; i < m_rowStart[row + 1]; ++i)
        if (m_spans[i].from <= x && x <= m_spans[i].to) {
            m_marked[Root(i)] = 1;
            return;
        }
}

std::size_t RunAreas::Root(std::size_t span)
{
    while (m_parent[span] != span) {
        m_parent[span] = m_parent[m_parent[span]];
        span = m_parent[span];
    }
    return span;
}

void RunAreas::Unite(std::size_t a, std::size_t b)
{
    a = Root(a);
    b = Root(b);
    if (a != b)
        m_parent[std::max(a, b)] = std::min(a, b);
}
