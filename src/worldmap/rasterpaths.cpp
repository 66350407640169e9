#include "worldmap/rasterpaths.h"

#include "base/byteorder.h"

#include <algorithm>
#include <array>
#include <bit>
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

// The same on bytes: the pens' runs of 8 to 40 bytes take a few overlapping stores instead of a call.
inline void FillSpan(std::uint8_t* row, int left, int right, std::uint8_t value)
{
    const int count = right - left + 1;
    std::uint8_t* bytes = row + left;
    const std::uint64_t eight = 0x0101010101010101u * value;
    if (count >= 8) {
        for (int i = 0; i < count - 8; i += 8)
            std::memcpy(bytes + i, &eight, sizeof eight);
        std::memcpy(bytes + count - 8, &eight, sizeof eight);
    } else if (count >= 4) {
        const std::uint32_t four = static_cast<std::uint32_t>(eight);
        std::memcpy(bytes, &four, sizeof four);
        std::memcpy(bytes + count - 4, &four, sizeof four);
    } else {
        for (int i = 0; i < count; ++i)
            bytes[i] = value;
    }
}

// Eight bytes of a plane at a time, for the fill's scans along a row: bit 7 of a byte of the result is set
// where the byte is at least (AtLeast) or below (Below) limit, 1 .. 128. Carries may flag bytes above the
// lowest flagged one, never below it, so only the lowest flag is to be trusted.
constexpr std::uint64_t kOnes = 0x0101010101010101u;

std::uint64_t AtLeast(std::uint64_t bytes, unsigned limit)
{
    return ((bytes + kOnes * (128 - limit)) | bytes) & (kOnes * 0x80);
}

std::uint64_t Below(std::uint64_t bytes, unsigned limit)
{
    return (bytes - kOnes * limit) & ~bytes & (kOnes * 0x80);
}

std::uint64_t Load8(const std::uint8_t* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = ByteSwap64(word);
    return word; // byte k of the word is bytes[k]
}

// The first column from `from` on, before end, whose byte is below limit; end if none.
int NextBelow(const std::uint8_t* row, int from, int end, unsigned limit)
{
    int x = from;
    for (; x + 8 <= end; x += 8)
        if (const std::uint64_t flags = Below(Load8(row + x), limit))
            return x + std::countr_zero(flags) / 8;
    while (x < end && row[x] >= limit)
        ++x;
    return x;
}

// The first column from `from` on, before end, whose byte is at least limit; end if none.
int NextAtLeast(const std::uint8_t* row, int from, int end, unsigned limit)
{
    int x = from;
    for (; x + 8 <= end; x += 8)
        if (const std::uint64_t flags = AtLeast(Load8(row + x), limit))
            return x + std::countr_zero(flags) / 8;
    while (x < end && row[x] < limit)
        ++x;
    return x;
}

// The first column of the run of bytes below limit that ends just before column `to`.
int RunStartBelow(const std::uint8_t* row, int to, unsigned limit)
{
    int x = to;
    // Reversed, the byte nearest to x comes lowest, where the flags are exact.
    for (; x >= 8; x -= 8)
        if (const std::uint64_t flags = AtLeast(ByteSwap64(Load8(row + x - 8)), limit))
            return x - std::countr_zero(flags) / 8;
    while (x > 0 && row[x - 1] < limit)
        --x;
    return x;
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
    Stroke(bitmap.Data(), bitmap.Width(), bitmap.Height(), x0, y0, x1, y1, color, true);
}

void RoundPen::Line(ByteMap& plane, int x0, int y0, int x1, int y1, std::uint8_t value, bool startDisc) const
{
    Stroke(plane.Data(), plane.Width(), plane.Height(), x0, y0, x1, y1, value, startDisc);
}

template <class Pixel>
void RoundPen::Stroke(Pixel* pixels, int columns, int rows, int x0, int y0, int x1, int y1, Pixel color,
                      bool startDisc) const
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
    const auto rowAt = [&](int y) { return pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(columns); };

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
                FillSpan(rowAt(y), from, to, color);
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
                    FillSpan(rowAt(y), from, to, color);
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
            FillSpan(rowAt(y), from, to, color);
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

int BorderFloodFill::FillBelow(ByteMap& plane, int x, int y, std::uint8_t limit, std::uint8_t value)
{
    if (!plane.Contains(x, y) || plane.At(x, y) >= limit)
        return 0;
    // What is painted is no longer below limit, so the plane itself tells what is done, and the scans along a
    // row take eight bytes at a time.
    const int width = plane.Width();
    int painted = 0;
    m_pending.clear();
    m_pending.push_back({y, x, x, 0});
    while (!m_pending.empty()) {
        const Pending row = m_pending.back();
        m_pending.pop_back();
        if (row.y < 0 || row.y >= plane.Height())
            continue;
        std::uint8_t* bytes = plane.Row(row.y);
        int column = NextBelow(bytes, row.left, row.right + 1, limit);
        while (column <= row.right) {
            const int left = RunStartBelow(bytes, column, limit);
            const int right = NextAtLeast(bytes, column + 1, width, limit) - 1;
            FillSpan(bytes, left, right, value);
            painted += right - left + 1;
            PushNeighbours(row, left, right);
            column = NextBelow(bytes, right + 2, row.right + 1, limit);
        }
    }
    return painted;
}

int FloodFillBorder(Bitmap& bitmap, int x, int y, Rgb border, Rgb color)
{
    BorderFloodFill fill;
    return fill.Fill(bitmap, x, y, border, color);
}
