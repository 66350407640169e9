#include "worldmap/rasterpaths.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The interval of x on one row where a linear form c·x + k lies within [low, high]; false when empty.
bool LinearRange(double c, double k, double low, double high, double& from, double& to)
{
    if (c == 0) {
        from = -std::numeric_limits<double>::infinity();
        to = std::numeric_limits<double>::infinity();
        return k >= low && k <= high;
    }
    from = (low - k) / c;
    to = (high - k) / c;
    if (from > to)
        std::swap(from, to);
    return true;
}

// The stadium of radius r around the segment A-B cut by the row at height y: the union of the two end discs
// and the band beside the segment. The stadium is convex, so that union is one interval [from, to].
struct Stadium {
    double ax, ay, bx, by, r;

    bool Row(double y, double& from, double& to) const
    {
        from = std::numeric_limits<double>::infinity();
        to = -std::numeric_limits<double>::infinity();
        Disc(ax, ay, y, from, to);
        Disc(bx, by, y, from, to);
        const double dx = bx - ax;
        const double dy = by - ay;
        const double lengthSquared = dx * dx + dy * dy;
        if (lengthSquared > 0) {
            // Along the segment: 0 <= (p - A)·d <= |d|²; across it: |(p - A)×d| <= r·|d|.
            const double ey = y - ay;
            double alongFrom, alongTo, acrossFrom, acrossTo;
            const double rLength = r * std::sqrt(lengthSquared);
            if (LinearRange(dx, ey * dy - ax * dx, 0, lengthSquared, alongFrom, alongTo) &&
                LinearRange(-dy, ey * dx + ax * dy, -rLength, rLength, acrossFrom, acrossTo)) {
                const double bandFrom = std::max(alongFrom, acrossFrom);
                const double bandTo = std::min(alongTo, acrossTo);
                if (bandFrom <= bandTo) {
                    from = std::min(from, bandFrom);
                    to = std::max(to, bandTo);
                }
            }
        }
        return from <= to;
    }

    void Disc(double cx, double cy, double y, double& from, double& to) const
    {
        const double dy = y - cy;
        const double rest = r * r - dy * dy;
        if (rest < 0)
            return;
        const double half = std::sqrt(rest);
        from = std::min(from, cx - half);
        to = std::max(to, cx + half);
    }
};

} // namespace

void DrawWideLine(Bitmap& bitmap, int x0, int y0, int x1, int y1, Rgb color, int width)
{
    width = std::max(width, 1);
    // Pixel centres are at integer coordinates; an even pen sits on the corner between four of them.
    const double shift = width % 2 == 0 ? 0.5 : 0.0;
    const Stadium stadium{x0 - shift, y0 - shift, x1 - shift, y1 - shift, width / 2.0};

    const double top = std::min(stadium.ay, stadium.by) - stadium.r;
    const double bottom = std::max(stadium.ay, stadium.by) + stadium.r;
    const int firstRow = std::max(0, static_cast<int>(std::ceil(top)));
    const int lastRow = std::min(bitmap.Height() - 1, static_cast<int>(std::floor(bottom)));
    const int lastColumn = bitmap.Width() - 1;
    for (int y = firstRow; y <= lastRow; ++y) {
        double from, to;
        if (!stadium.Row(y, from, to))
            continue;
        // Clamp in floating point first: a far-off segment must not overflow the conversion to int.
        const int left = static_cast<int>(std::ceil(std::max(from, -1.0)));
        const int right = static_cast<int>(std::floor(std::min(to, static_cast<double>(lastColumn) + 1)));
        const int first = std::max(left, 0);
        const int last = std::min(right, lastColumn);
        if (first <= last)
            std::fill(bitmap.Row(y) + first, bitmap.Row(y) + last + 1, color);
    }
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
    if (!bitmap.Contains(x, y) || bitmap.Pixel(x, y) == border)
        return 0;

    // Pixels already of the fill colour are passable, so "filled" rather than the colour tells what is done.
    const auto open = [&](const Rgb* row, const std::uint8_t* done, int column) {
        return row[column] != border && !done[column];
    };
    const auto doneRow = [&](int row) {
        return m_filled.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(m_width);
    };

    int painted = 0;
    m_seeds.clear();
    m_seeds.push_back({x, y});
    while (!m_seeds.empty()) {
        const Seed seed = m_seeds.back();
        m_seeds.pop_back();
        Rgb* row = bitmap.Row(seed.y);
        std::uint8_t* done = doneRow(seed.y);
        if (!open(row, done, seed.x))
            continue;
        int left = seed.x;
        while (left > 0 && open(row, done, left - 1))
            --left;
        int right = seed.x;
        while (right < m_width - 1 && open(row, done, right + 1))
            ++right;
        std::fill(row + left, row + right + 1, color);
        std::memset(done + left, 1, static_cast<std::size_t>(right - left + 1));
        painted += right - left + 1;

        // One seed for each open run in the rows above and below the span.
        for (const int next : {seed.y - 1, seed.y + 1}) {
            if (next < 0 || next >= m_height)
                continue;
            const Rgb* nextRow = bitmap.Row(next);
            const std::uint8_t* nextDone = doneRow(next);
            bool inRun = false;
            for (int column = left; column <= right; ++column) {
                const bool isOpen = open(nextRow, nextDone, column);
                if (isOpen && !inRun)
                    m_seeds.push_back({column, next});
                inRun = isOpen;
            }
        }
    }
    return painted;
}

int FloodFillBorder(Bitmap& bitmap, int x, int y, Rgb border, Rgb color)
{
    BorderFloodFill fill;
    return fill.Fill(bitmap, x, y, border, color);
}
