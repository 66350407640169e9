#include "worldmap/raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Columns first..last of one row, relative to some left edge; empty when first > last.
struct Span {
    long long first = 0;
    long long last = -1;
    bool Empty() const { return first > last; }
};

// Fills the columns first..last of row y with color, clipped to the bitmap.
void FillSpan(Bitmap& target, int y, long long first, long long last, Rgb color)
{
    first = std::max<long long>(first, 0);
    last = std::min<long long>(last, target.Width() - 1);
    if (first > last)
        return;
    Rgb* row = target.Row(y);
    std::fill(row + first, row + last + 1, color);
}

// The pixels of one row of the ellipse inscribed in a w × h box, relative to the box's left edge.
// Works in doubled coordinates so pixel centres are integers: a pixel is inside when
// px²·h² + py²·w² ≤ w²·h². Doubles are exact here for any box of practical size, and the square
// root only gives a first guess that the exact test then corrects.
Span EllipseRow(long long w, long long h, long long row)
{
    if (row < 0 || row >= h)
        return {};
    const double ww = static_cast<double>(w) * static_cast<double>(w);
    const double hh = static_cast<double>(h) * static_cast<double>(h);
    const double py = 2.0 * static_cast<double>(row) + 1.0 - static_cast<double>(h);
    auto inside = [&](long long column) {
        const double px = 2.0 * static_cast<double>(column) + 1.0 - static_cast<double>(w);
        return px * px * hh + py * py * ww <= ww * hh;
    };
    const double reach = std::sqrt(std::max(0.0, ww * (1.0 - py * py / hh)));
    long long first =
        std::clamp(static_cast<long long>(std::ceil((static_cast<double>(w) - 1.0 - reach) / 2.0)), 0LL, (w - 1) / 2);
    while (first > 0 && inside(first - 1))
        --first;
    while (first <= (w - 1) / 2 && !inside(first))
        ++first;
    // The ellipse is symmetric about the box's middle column.
    return {first, w - 1 - first};
}

} // namespace

void CopyRect(Bitmap& target, int x, int y, const Bitmap& source, const Rect& from)
{
    // Clip in 64 bits: the rectangle and the offset may be anywhere.
    long long sx0 = std::max<long long>(from.left, 0);
    long long sy0 = std::max<long long>(from.top, 0);
    long long sx1 = std::min<long long>(from.right, source.Width());
    long long sy1 = std::min<long long>(from.bottom, source.Height());
    const long long dx = static_cast<long long>(x) - from.left;
    const long long dy = static_cast<long long>(y) - from.top;
    sx0 = std::max(sx0, -dx);
    sy0 = std::max(sy0, -dy);
    sx1 = std::min(sx1, target.Width() - dx);
    sy1 = std::min(sy1, target.Height() - dy);
    if (sx0 >= sx1 || sy0 >= sy1)
        return;

    const std::size_t bytes = static_cast<std::size_t>(sx1 - sx0) * sizeof(Rgb);
    auto copyRow = [&](long long sy) {
        std::memmove(target.Row(static_cast<int>(sy + dy)) + sx0 + dx, source.Row(static_cast<int>(sy)) + sx0, bytes);
    };
    // Within one bitmap, rows moving down are copied bottom first so none is overwritten before it is read.
    if (&target == &source && dy > 0) {
        for (long long sy = sy1 - 1; sy >= sy0; --sy)
            copyRow(sy);
    } else {
        for (long long sy = sy0; sy < sy1; ++sy)
            copyRow(sy);
    }
}

void FillRect(Bitmap& target, const Rect& rect, Rgb color)
{
    const int top = std::max(rect.top, 0);
    const int bottom = std::min(rect.bottom, target.Height());
    for (int y = top; y < bottom; ++y)
        FillSpan(target, y, rect.left, static_cast<long long>(rect.right) - 1, color);
}

void Ellipse(Bitmap& target, const Rect& box, Rgb brush, Rgb pen)
{
    const long long w = static_cast<long long>(box.right) - box.left;
    const long long h = static_cast<long long>(box.bottom) - box.top;
    if (w <= 0 || h <= 0)
        return;
    const int top = std::max(box.top, 0);
    const int bottom = std::min(box.bottom, target.Height());
    const long long left = box.left;
    // Each row's span is worked out once and kept while it serves as the next row's neighbour.
    Span above = EllipseRow(w, h, static_cast<long long>(top) - box.top - 1);
    Span here = EllipseRow(w, h, static_cast<long long>(top) - box.top);
    for (int y = top; y < bottom; ++y) {
        const Span below = EllipseRow(w, h, static_cast<long long>(y) - box.top + 1);
        if (!here.Empty()) {
            FillSpan(target, y, left + here.first, left + here.last, brush);
            // The outline: both ends of the row, and whatever part of it has no pixel above or below.
            FillSpan(target, y, left + here.first, left + here.first, pen);
            FillSpan(target, y, left + here.last, left + here.last, pen);
            for (const Span& neighbour : {above, below}) {
                if (neighbour.Empty()) {
                    FillSpan(target, y, left + here.first, left + here.last, pen);
                    continue;
                }
                FillSpan(target, y, left + here.first, left + std::min(here.last, neighbour.first - 1), pen);
                FillSpan(target, y, left + std::max(here.first, neighbour.last + 1), left + here.last, pen);
            }
        }
        above = here;
        here = below;
    }
}

void MakeOpaque(Bitmap& target)
{
    Rgb* pixel = target.Data();
    Rgb* const end = pixel + static_cast<std::size_t>(target.Width()) * static_cast<std::size_t>(target.Height());
    for (; pixel != end; ++pixel)
        *pixel |= kOpaque;
}

void CopyOpaque(Bitmap& target, const Bitmap& source)
{
    const int width = std::min(target.Width(), source.Width());
    const int height = std::min(target.Height(), source.Height());
    for (int y = 0; y < height; ++y) {
        const Rgb* from = source.Row(y);
        Rgb* to = target.Row(y);
        for (int x = 0; x < width; ++x)
            to[x] = from[x] | kOpaque;
    }
}
