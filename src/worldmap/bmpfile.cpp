#include "worldmap/bmpfile.h"

#include <algorithm>

#include "platform/filestore.h"

#include <array>
#include <vector>

namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint64_t kCoreHeaderSize = 12;
constexpr std::uint64_t kInfoHeaderSize = 40;
constexpr std::uint64_t kMasksSize = 12; // three DWORD masks after a 40-byte header
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint64_t kOs2InfoHeaderSize = 64;

// Little-endian reads; every caller has checked that the bytes exist.
class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> data) : m_data(data) {}

    std::uint64_t Size() const { return m_data.size(); }
    bool Has(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= m_data.size() && count <= m_data.size() - offset;
    }
    std::uint8_t U8(std::uint64_t offset) const { return m_data[offset]; }
    std::uint32_t U16(std::uint64_t offset) const
    {
        return static_cast<std::uint32_t>(m_data[offset]) | static_cast<std::uint32_t>(m_data[offset + 1]) << 8;
    }
    std::uint32_t U32(std::uint64_t offset) const { return U16(offset) | U16(offset + 2) << 16; }
    const std::uint8_t* At(std::uint64_t offset) const { return m_data.data() + offset; }

private:
    std::span<const std::uint8_t> m_data;
};

// One colour channel of a bit-field pixel: where it lies and how many values it has.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0; // largest value after shifting; 0 for an absent channel

    int Value(std::uint32_t pixel) const
    {
        if (max == 0)
            return 0;
        // In 64 bits: a channel up to 32 bits wide times 255 does not fit in 32.
        const std::uint64_t v = (pixel & mask) >> shift;
        return static_cast<int>((v * 255 + max / 2) / max);
    }
};

// False for a mask with gaps or one wider than the pixel.
bool MakeChannel(std::uint32_t mask, int bitsPerPixel, Channel& channel)
{
    channel = {};
    if (mask == 0)
        return true;
    if (bitsPerPixel < 32 && (mask >> bitsPerPixel) != 0)
        return false;
    int shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    const std::uint64_t max = mask >> shift;
    if ((max & (max + 1)) != 0)
        return false;
    channel = {mask, shift, static_cast<std::uint32_t>(max)};
    return true;
}

struct Layout {
    std::uint64_t headerSize = 0;
    bool core = false;
    std::int64_t width = 0;
    std::int64_t height = 0; // rows; positive
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    std::uint64_t pixelOffset = 0;
    std::uint64_t paletteOffset = 0;
    std::array<Channel, 3> channels; // red, green, blue for 16 and 32 bits per pixel
};

BmpStatus ReadHeaders(const Bytes& bytes, Layout& layout)
{
    if (!bytes.Has(0, 2) || bytes.U8(0) != 'B' || bytes.U8(1) != 'M')
        return BmpStatus::NotBmp;
    if (!bytes.Has(0, kFileHeaderSize + 4))
        return BmpStatus::Truncated;
    layout.pixelOffset = bytes.U32(10);
    layout.headerSize = bytes.U32(kFileHeaderSize);
    switch (layout.headerSize) {
    case kCoreHeaderSize:
        layout.core = true;
        break;
    case kInfoHeaderSize:
    case 52:
    case 56:
    case kOs2InfoHeaderSize:
    case 108:
    case 124:
        break;
    default:
        return BmpStatus::UnsupportedHeader;
    }
    if (!bytes.Has(kFileHeaderSize, layout.headerSize))
        return BmpStatus::Truncated;

    const std::uint64_t h = kFileHeaderSize;
    if (layout.core) {
        layout.width = bytes.U16(h + 4);
        layout.height = bytes.U16(h + 6);
        layout.bitsPerPixel = static_cast<int>(bytes.U16(h + 10));
    } else {
        layout.width = static_cast<std::int32_t>(bytes.U32(h + 4));
        layout.height = static_cast<std::int32_t>(bytes.U32(h + 8));
        layout.bitsPerPixel = static_cast<int>(bytes.U16(h + 14));
        layout.compression = bytes.U32(h + 16);
        layout.colorsUsed = bytes.U32(h + 32);
    }
    if (layout.width <= 0 || layout.height == 0)
        return BmpStatus::BadDimensions;
    if (layout.height < 0) {
        layout.topDown = true;
        layout.height = -layout.height; // 64 bits: the most negative 32-bit height negates safely
    }
    layout.paletteOffset = h + layout.headerSize;
    return BmpStatus::Ok;
}

BmpStatus ReadFormat(const Bytes& bytes, Layout& layout)
{
    const int bpp = layout.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return BmpStatus::UnsupportedFormat;
    // The 64-byte header's compression codes mean other things; only its uncompressed form is read.
    const bool bitfields = layout.compression == kBiBitfields && layout.headerSize != kOs2InfoHeaderSize;
    if (layout.compression != kBiRgb && !bitfields)
        return BmpStatus::UnsupportedFormat;
    if (bitfields && bpp != 16 && bpp != 32)
        return BmpStatus::UnsupportedFormat;

    std::array<std::uint32_t, 3> masks{};
    if (bitfields) {
        const std::uint64_t at = kFileHeaderSize + kInfoHeaderSize;
        if (layout.headerSize == kInfoHeaderSize) {
            if (!bytes.Has(at, kMasksSize))
                return BmpStatus::Truncated;
            layout.paletteOffset += kMasksSize;
        }
        masks = {bytes.U32(at), bytes.U32(at + 4), bytes.U32(at + 8)};
    } else if (bpp == 16) {
        masks = {0x7C00, 0x03E0, 0x001F};
    } else if (bpp == 32) {
        masks = {0xFF0000, 0x00FF00, 0x0000FF};
    }
    for (std::size_t i = 0; i < masks.size(); ++i) {
        if (!MakeChannel(masks[i], bpp, layout.channels[i]))
            return BmpStatus::BadMasks;
    }
    if (layout.pixelOffset < layout.paletteOffset)
        return BmpStatus::BadOffset;
    return BmpStatus::Ok;
}

// The palette; indices it does not cover read as black.
std::vector<Rgb> ReadPalette(const Bytes& bytes, const Layout& layout)
{
    std::vector<Rgb> palette;
    if (layout.bitsPerPixel > 8)
        return palette;
    const std::uint64_t full = std::uint64_t{1} << layout.bitsPerPixel;
    std::uint64_t count = layout.colorsUsed == 0 || layout.colorsUsed > full ? full : layout.colorsUsed;
    const std::uint64_t entrySize = layout.core ? 3 : 4;
    // Some writers store fewer entries than they announce: read only those before the pixels.
    count = std::min(count, (layout.pixelOffset - layout.paletteOffset) / entrySize);
    palette.assign(full, 0);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = layout.paletteOffset + i * entrySize;
        palette[i] = MakeRgb(bytes.U8(at + 2), bytes.U8(at + 1), bytes.U8(at));
    }
    return palette;
}

void DecodeRow(const std::uint8_t* src, const Layout& layout, const std::vector<Rgb>& palette, Rgb* out)
{
    const std::int64_t width = layout.width;
    const int bpp = layout.bitsPerPixel;
    switch (bpp) {
    case 8: // the built-in maps' depth: a byte a pixel
        for (std::int64_t x = 0; x < width; ++x)
            out[x] = palette[src[x]];
        break;
    case 1:
    case 4: {
        const int perByte = 8 / bpp;
        const unsigned mask = (1u << bpp) - 1;
        for (std::int64_t x = 0; x < width; ++x) {
            const int slot = static_cast<int>(x % perByte);
            const unsigned index = (src[x / perByte] >> (8 - bpp * (slot + 1))) & mask;
            out[x] = palette[index];
        }
        break;
    }
    case 24:
        for (std::int64_t x = 0; x < width; ++x, src += 3)
            out[x] = MakeRgb(src[2], src[1], src[0]);
        break;
    default: {
        const auto& [red, green, blue] = layout.channels;
        const int step = bpp / 8;
        for (std::int64_t x = 0; x < width; ++x, src += step) {
            std::uint32_t pixel = static_cast<std::uint32_t>(src[0]) | static_cast<std::uint32_t>(src[1]) << 8;
            if (step == 4)
                pixel |= static_cast<std::uint32_t>(src[2]) << 16 | static_cast<std::uint32_t>(src[3]) << 24;
            out[x] = MakeRgb(red.Value(pixel), green.Value(pixel), blue.Value(pixel));
        }
        break;
    }
    }
}

} // namespace

BmpResult DecodeBmp(std::span<const std::uint8_t> data, const BmpLimits& limits, int rowsWanted)
{
    const Bytes bytes(data);
    Layout layout;
    if (const BmpStatus status = ReadHeaders(bytes, layout); status != BmpStatus::Ok)
        return {status, {}};
    if (layout.width > limits.maxWidth || layout.height > limits.maxHeight ||
        layout.width * layout.height > limits.maxPixels)
        return {BmpStatus::TooLarge, {}};
    if (const BmpStatus status = ReadFormat(bytes, layout); status != BmpStatus::Ok)
        return {status, {}};

    // The last row need not carry its padding.
    const std::uint64_t rowBits =
        static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.bitsPerPixel);
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    const std::uint64_t rows = static_cast<std::uint64_t>(layout.height);
    if (rows > 1 && stride > bytes.Size() / (rows - 1)) // the product below would not fit the data anyway
        return {BmpStatus::Truncated, {}};
    if (!bytes.Has(layout.pixelOffset, stride * (rows - 1) + (rowBits + 7) / 8))
        return {BmpStatus::Truncated, {}};

    const std::vector<Rgb> palette = ReadPalette(bytes, layout);
    const int width = static_cast<int>(layout.width);
    const int height = static_cast<int>(layout.height);
    Bitmap bitmap(width, std::clamp(rowsWanted, 0, height));
    for (std::uint64_t y = 0; y < static_cast<std::uint64_t>(bitmap.Height()); ++y) {
        const std::uint64_t stored = layout.topDown ? y : rows - 1 - y;
        DecodeRow(bytes.At(layout.pixelOffset + stored * stride), layout, palette, bitmap.Row(static_cast<int>(y)));
    }
    return {BmpStatus::Ok, std::move(bitmap), width, height};
}

BmpResult ReadBmpFile(const std::string& path, const BmpLimits& limits, int rows)
{
    const std::optional<std::uint64_t> size = RegularFileSize(path);
    if (!size)
        return {BmpStatus::FileError, {}};
    // The biggest picture within the limits: four bytes a pixel, a padded row, headers and palette.
    const std::uintmax_t largest = static_cast<std::uintmax_t>(limits.maxPixels) * 4 +
                                   static_cast<std::uintmax_t>(limits.maxHeight) * 4 + 64 * 1024;
    if (*size > largest)
        return {BmpStatus::TooLarge, {}};

    // The size is checked again while reading: the file may grow in between.
    const FileRead file = ReadSmallFile(path, static_cast<std::size_t>(largest));
    if (file.state != FileReadState::Read)
        return {BmpStatus::FileError, {}};
    return DecodeBmp({reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size()}, limits, rows);
}

const char* BmpStatusName(BmpStatus status)
{
    switch (status) {
    case BmpStatus::Ok:
        return "ok";
    case BmpStatus::FileError:
        return "file error";
    case BmpStatus::NotBmp:
        return "not a BMP file";
    case BmpStatus::Truncated:
        return "truncated";
    case BmpStatus::UnsupportedHeader:
        return "unsupported header";
    case BmpStatus::BadDimensions:
        return "bad dimensions";
    case BmpStatus::TooLarge:
        return "too large";
    case BmpStatus::UnsupportedFormat:
        return "unsupported format";
    case BmpStatus::BadMasks:
        return "bad colour masks";
    case BmpStatus::BadOffset:
        return "bad pixel offset";
    }
    return "unknown";
}
