#include "components/USkinEd.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint32_t kRectanglesType = 1;

std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::int32_t GetSigned32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::int32_t>(Get32(bytes, at));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

SkinRect GetRect(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return {GetSigned32(bytes, at), GetSigned32(bytes, at + 4), GetSigned32(bytes, at + 8),
            GetSigned32(bytes, at + 12)};
}

void PutRect(std::vector<std::uint8_t>& out, const SkinRect& rect)
{
    Put32(out, static_cast<std::uint32_t>(rect.left));
    Put32(out, static_cast<std::uint32_t>(rect.top));
    Put32(out, static_cast<std::uint32_t>(rect.right));
    Put32(out, static_cast<std::uint32_t>(rect.bottom));
}

bool IsEmpty(const SkinRect& rect)
{
    return rect.left >= rect.right || rect.top >= rect.bottom;
}

bool Inside(const SkinRect& rect, const SkinRect& bounds)
{
    return rect.left >= bounds.left && rect.top >= bounds.top && rect.right <= bounds.right &&
           rect.bottom <= bounds.bottom;
}

} // namespace

bool TSkinRegion::Contains(int x, int y) const
{
    return std::any_of(m_rects.begin(), m_rects.end(),
                       [x, y](const SkinRect& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; });
}

void TSkinRegion::SetRegion(const TSkinRegion* other)
{
    if (other == this)
        return;
    m_rects = other ? other->m_rects : std::vector<SkinRect>{};
    m_bounds = other ? other->m_bounds : SkinRect{};
}

bool TSkinRegion::SetRegionData(std::span<const std::uint8_t> bytes)
{
    SetRegion(nullptr);
    if (bytes.size() < kHeaderSize || Get32(bytes, 0) != kHeaderSize || Get32(bytes, 4) != kRectanglesType)
        return false;
    // Sizes are compared in 64 bits, so no count, however large, wraps around.
    const std::uint64_t count = Get32(bytes, 8);
    const std::uint64_t bufferSize = Get32(bytes, 12);
    if (count == 0 || count * kRectSize > bufferSize || bufferSize > bytes.size() - kHeaderSize)
        return false;
    const SkinRect bounds = GetRect(bytes, 16);
    std::vector<SkinRect> rects;
    rects.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const SkinRect rect = GetRect(bytes, kHeaderSize + i * kRectSize);
        if (IsEmpty(rect) || !Inside(rect, bounds))
            return false;
        rects.push_back(rect);
    }
    m_rects = std::move(rects);
    m_bounds = bounds;
    return true;
}

bool TSkinRegion::SetRects(std::vector<SkinRect> rects)
{
    SetRegion(nullptr);
    if (rects.empty() || std::any_of(rects.begin(), rects.end(), IsEmpty))
        return false;
    SkinRect bounds = rects.front();
    for (const SkinRect& r : rects) {
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    m_rects = std::move(rects);
    m_bounds = bounds;
    return true;
}

std::vector<std::uint8_t> TSkinRegion::RegionData() const
{
    std::vector<std::uint8_t> out;
    if (Empty())
        return out;
    out.reserve(kHeaderSize + m_rects.size() * kRectSize);
    Put32(out, kHeaderSize);
    Put32(out, kRectanglesType);
    Put32(out, static_cast<std::uint32_t>(m_rects.size()));
    Put32(out, static_cast<std::uint32_t>(m_rects.size() * kRectSize));
    PutRect(out, m_bounds);
    for (const SkinRect& rect : m_rects)
        PutRect(out, rect);
    return out;
}

bool TSkinRegion::ReadData(std::span<const std::uint8_t> data)
{
    SetRegion(nullptr);
    if (data.size() < 4)
        return false;
    const std::int32_t n = GetSigned32(data, 0);
    if (n <= 0)
        return true;
    const auto size = static_cast<std::size_t>(n);
    return size <= data.size() - 4 && SetRegionData(data.subspan(4, size));
}

std::vector<std::uint8_t> TSkinRegion::WriteData() const
{
    const std::vector<std::uint8_t> region = RegionData();
    // A region too large for the signed count is stored as none rather than with a wrapped count.
    if (region.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return std::vector<std::uint8_t>(4, 0);
    std::vector<std::uint8_t> out;
    out.reserve(4 + region.size());
    Put32(out, static_cast<std::uint32_t>(region.size()));
    out.insert(out.end(), region.begin(), region.end());
    return out;
}
