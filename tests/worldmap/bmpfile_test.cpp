#include "worldmap/bmpfile.h"

#include "support/bmpwriter.h"
#include "support/casename.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <sys/stat.h>
#include <vector>

namespace {

// A palette picture of the given depth: pixel (x, y) holds index (x + 2y) mod 2^bpp, and palette entry
// i is a colour that tells i.
BmpLayout PalettePicture(std::uint16_t bpp, std::uint32_t headerSize, bool topDown)
{
    BmpLayout layout;
    layout.headerSize = headerSize;
    layout.bitsPerPixel = bpp;
    layout.height = topDown ? -3 : 3;
    for (int i = 0; i < (1 << bpp); ++i)
        layout.palette.push_back(MakeRgb(i, 255 - i, (i * 37) & 0xFF));
    for (int y = 0; y < 3; ++y) {
        layout.rows.emplace_back();
        for (int x = 0; x < layout.width; ++x)
            layout.rows.back().push_back(static_cast<std::uint32_t>((x + 2 * y) % (1 << bpp)));
    }
    return layout;
}

Rgb PalettePictureColour(const BmpLayout& layout, int x, int y)
{
    return layout.palette[layout.rows[y][x]];
}

TEST(DecodeBmp, PalettePicturesOfEveryDepthHeaderAndRowOrder)
{
    for (std::uint16_t bpp : {1, 4, 8}) {
        for (std::uint32_t header : {12u, 40u, 52u, 56u, 64u, 108u, 124u}) {
            for (bool topDown : {false, true}) {
                if (header == 12 && topDown)
                    continue; // the core header has no sign for its height
                SCOPED_TRACE(testing::Message() << bpp << " bpp, header " << header << (topDown ? ", top-down" : ""));
                const BmpLayout layout = PalettePicture(bpp, header, topDown);
                const BmpResult result = DecodeBmp(Encode(layout));
                ASSERT_EQ(result.status, BmpStatus::Ok) << BmpStatusName(result.status);
                ASSERT_EQ(result.bitmap.Width(), 5);
                ASSERT_EQ(result.bitmap.Height(), 3);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < 5; ++x)
                        ASSERT_EQ(result.bitmap.Pixel(x, y), PalettePictureColour(layout, x, y)) << x << "," << y;
            }
        }
    }
}

struct DirectCase {
    const char* name;
    std::uint32_t headerSize;
    std::uint16_t bpp;
    std::uint32_t compression;
    bool writeMasks;
    std::array<std::uint32_t, 3> masks;
    std::uint32_t stored;
    Rgb expected;
};

class DirectColourPictures : public ::testing::TestWithParam<DirectCase> {};

TEST_P(DirectColourPictures, ReadAsTheirColours)
{
    const DirectCase& c = GetParam();
    for (bool topDown : {false, true}) {
        if (c.headerSize == 12 && topDown)
            continue;
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        BmpLayout layout;
        layout.headerSize = c.headerSize;
        layout.bitsPerPixel = c.bpp;
        layout.compression = c.compression;
        layout.writeMasks = c.writeMasks;
        layout.masks = c.masks;
        layout.height = topDown ? -3 : 3;
        // Row 1 holds the case's pixel at column 2; all else is 0.
        layout.rows.assign(3, std::vector<std::uint32_t>(5, 0));
        layout.rows[1][2] = c.stored;
        const BmpResult result = DecodeBmp(Encode(layout));
        ASSERT_EQ(result.status, BmpStatus::Ok) << BmpStatusName(result.status);
        EXPECT_EQ(result.bitmap.Pixel(2, 1), c.expected);
        EXPECT_EQ(result.bitmap.Pixel(2, 0), 0u);
        EXPECT_EQ(result.bitmap.Pixel(2, 2), 0u);
        EXPECT_EQ(result.bitmap.Pixel(4, 1), 0u);
        // Asked for the top two rows only: those, with the picture's own size.
        const BmpResult top = DecodeBmp(Encode(layout), {}, 2);
        EXPECT_EQ(top.bitmap.Height(), 2);
        EXPECT_EQ(top.height, 3);
        EXPECT_EQ(top.bitmap.Pixel(2, 1), c.expected);
    }
}

const DirectCase kDirectCases[] = {
    {"24 bits, blue-green-red bytes", 40, 24, 0, false, {}, 0x123456, 0x123456},
    {"24 bits, core header", 12, 24, 0, false, {}, 0xABCDEF, 0xABCDEF},
    // The fourth byte of an uncompressed 32-bit pixel is not colour.
    {"32 bits, uncompressed", 40, 32, 0, false, {}, 0x7F123456, 0x123456},
    // 5 bits a channel: 31 is full, 16 rounds to 132.
    {"16 bits, uncompressed 5-5-5", 40, 16, 0, false, {}, (31u << 10) | (16u << 5) | 1u, MakeRgb(255, 132, 8)},
    // Masks in an uncompressed picture are ignored.
    {"16 bits, masks ignored without bit-fields",
     108,
     16,
     0,
     true,
     {0xF800, 0x07E0, 0x001F},
     31u << 10,
     MakeRgb(255, 0, 0)},
    {"16 bits, bit-fields 5-6-5 after the header",
     40,
     16,
     3,
     true,
     {0xF800, 0x07E0, 0x001F},
     (31u << 11) | (32u << 5) | 0u,
     MakeRgb(255, 130, 0)},
    {"32 bits, bit-fields inside a 124-byte header, channels in odd places",
     124,
     32,
     3,
     true,
     {0x0000FF00, 0x00FF0000, 0xFF000000},
     0x11223344,
     MakeRgb(0x33, 0x22, 0x11)},
    {"32 bits, a channel without a mask is 0",
     56,
     32,
     3,
     true,
     {0x00FF0000, 0, 0x000000FF},
     0x00AABBCC,
     MakeRgb(0xAA, 0, 0xCC)},
    // Channels wider than 24 bits: the scaling to 0..255 must not overflow.
    {"32 bits, one channel of all 32 bits", 40, 32, 3, true, {0xFFFFFFFF, 0, 0}, 0x80000000, MakeRgb(128, 0, 0)},
    {"32 bits, a 30-bit channel at full value",
     40,
     32,
     3,
     true,
     {0x3FFFFFFF, 0, 0xC0000000},
     0xFFFFFFFF,
     MakeRgb(255, 0, 255)},
};

INSTANTIATE_TEST_SUITE_P(DecodeBmp, DirectColourPictures, ::testing::ValuesIn(kDirectCases), NameOfCase{});

TEST(DecodeBmp, ShortPalettesAndIndicesBeyondThemReadAsBlack)
{
    BmpLayout layout = PalettePicture(8, 40, false);
    layout.palette.resize(4);
    layout.colorsUsed = 0; // announces 256 entries, stores 4: the pixels start after the fourth
    Bytes bytes = Encode(layout);
    BmpResult result = DecodeBmp(bytes);
    ASSERT_EQ(result.status, BmpStatus::Ok);
    EXPECT_EQ(result.bitmap.Pixel(1, 1), layout.palette[3]); // index 3
    EXPECT_EQ(result.bitmap.Pixel(4, 2), 0u);              // index 8, not stored

    layout.colorsUsed = 0xFFFFFFFF; // more than an 8-bit picture can use
    result = DecodeBmp(Encode(layout));
    ASSERT_EQ(result.status, BmpStatus::Ok);
    EXPECT_EQ(result.bitmap.Pixel(1, 1), layout.palette[3]);
}

// The last row may end without its padding; one byte less is a truncated picture.
TEST(DecodeBmp, LastRowWithoutPaddingIsWholeOneByteLessIsNot)
{
    BmpLayout layout = PalettePicture(8, 40, false);
    Bytes bytes = Encode(layout);
    bytes.resize(bytes.size() - 3); // 5 pixel bytes, 3 of padding
    EXPECT_EQ(DecodeBmp(bytes).status, BmpStatus::Ok);
    bytes.pop_back();
    EXPECT_EQ(DecodeBmp(bytes).status, BmpStatus::Truncated);
}

struct Malformed {
    const char* name;
    std::function<void(Bytes&)> damage;
    BmpStatus expected;
};

class MalformedFiles : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedFiles, AreRefusedWithTheirReason)
{
    BmpLayout layout;
    layout.rows.assign(3, std::vector<std::uint32_t>(5, 0x808080));
    Bytes bytes = Encode(layout);
    ASSERT_EQ(DecodeBmp(bytes).status, BmpStatus::Ok);
    GetParam().damage(bytes);
    const auto start = std::chrono::steady_clock::now();
    const BmpResult result = DecodeBmp(bytes);
    EXPECT_EQ(result.status, GetParam().expected) << BmpStatusName(result.status);
    EXPECT_EQ(result.bitmap.Width(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

std::vector<Malformed> MalformedCases()
{
    auto set16 = [](std::size_t at, std::uint32_t v) { return [=](Bytes& b) { Put16(b, at, v); }; };
    auto set32 = [](std::size_t at, std::uint32_t v) { return [=](Bytes& b) { Put32(b, at, v); }; };
    auto cut = [](std::size_t size) { return [=](Bytes& b) { b.resize(std::min(b.size(), size)); }; };
    return {
        {"empty", cut(0), BmpStatus::NotBmp},
        {"one byte", cut(1), BmpStatus::NotBmp},
        {"signature only", cut(2), BmpStatus::Truncated},
        {"file header only", cut(14), BmpStatus::Truncated},
        {"other signature", [](Bytes& b) { b[1] = 'A'; }, BmpStatus::NotBmp},
        {"header size 0", set32(14, 0), BmpStatus::UnsupportedHeader},
        {"header size 41", set32(14, 41), BmpStatus::UnsupportedHeader},
        {"header size 4 GB", set32(14, 0xFFFFFFFF), BmpStatus::UnsupportedHeader},
        {"information header cut", cut(14 + 30), BmpStatus::Truncated},
        {"header longer than the file", set32(14, 124), BmpStatus::Truncated},
        {"width 0", set32(18, 0), BmpStatus::BadDimensions},
        {"negative width", set32(18, static_cast<std::uint32_t>(-5)), BmpStatus::BadDimensions},
        {"height 0", set32(22, 0), BmpStatus::BadDimensions},
        {"most negative height", set32(22, 0x80000000), BmpStatus::TooLarge},
        {"width beyond the limit", set32(18, 16385), BmpStatus::TooLarge},
        {"width and height beyond the pixel limit", [](Bytes& b) { Put32(b, 18, 9000), Put32(b, 22, 9000); },
         BmpStatus::TooLarge},
        // Within the limits, but 240 MB of pixels cannot be in 50 bytes: refused before allocating.
        {"big picture in a small file", [](Bytes& b) { Put32(b, 18, 10000), Put32(b, 22, 6000); },
         BmpStatus::Truncated},
        {"0 bits per pixel", set16(28, 0), BmpStatus::UnsupportedFormat},
        {"2 bits per pixel", set16(28, 2), BmpStatus::UnsupportedFormat},
        {"64 bits per pixel", set16(28, 64), BmpStatus::UnsupportedFormat},
        {"run-length 8", set32(30, 1), BmpStatus::UnsupportedFormat},
        {"run-length 4", set32(30, 2), BmpStatus::UnsupportedFormat},
        {"JPEG", set32(30, 4), BmpStatus::UnsupportedFormat},
        {"PNG", set32(30, 5), BmpStatus::UnsupportedFormat},
        {"bit-fields on 24 bits", set32(30, 3), BmpStatus::UnsupportedFormat},
        {"compression of an OS/2 header", [](Bytes& b) { Put32(b, 14, 64), Put32(b, 30, 3); },
         BmpStatus::UnsupportedFormat},
        {"pixels said to start at 0", set32(10, 0), BmpStatus::BadOffset},
        {"pixels said to start in the header", set32(10, 30), BmpStatus::BadOffset},
        {"pixels said to start beyond the file", set32(10, 0xFFFFFFFF), BmpStatus::Truncated},
        {"pixels cut", [](Bytes& b) { b.resize(b.size() - 16); }, BmpStatus::Truncated},
    };
}

INSTANTIATE_TEST_SUITE_P(DecodeBmp, MalformedFiles, ::testing::ValuesIn(MalformedCases()), NameOfCase{});

struct MasksCase {
    const char* name;
    std::array<std::uint32_t, 3> masks;
};

class BadColourMasks : public ::testing::TestWithParam<MasksCase> {};

TEST_P(BadColourMasks, AreRefused)
{
    BmpLayout layout;
    layout.bitsPerPixel = 16;
    layout.compression = 3;
    layout.writeMasks = true;
    layout.masks = GetParam().masks;
    layout.rows.assign(3, std::vector<std::uint32_t>(5, 0));
    EXPECT_EQ(DecodeBmp(Encode(layout)).status, BmpStatus::BadMasks);
}

INSTANTIATE_TEST_SUITE_P(DecodeBmp, BadColourMasks,
                         ::testing::Values(MasksCase{"red with a gap", {0x0F0F, 0x00F0, 0x000F}},
                                           MasksCase{"red beyond a 16-bit pixel", {0x1F0000, 0x07E0, 0x001F}},
                                           MasksCase{"every bit, also beyond the pixel", {0xFFFFFFFF, 0x07E0, 0x001F}}),
                         NameOfCase{});

// The masks of a 40-byte header follow it; a file that ends before them is cut.
TEST(DecodeBmp, MasksCutAfterTheHeaderAreTruncated)
{
    BmpLayout layout;
    layout.bitsPerPixel = 32;
    layout.compression = 3;
    layout.rows.assign(1, std::vector<std::uint32_t>(1, 0));
    Bytes bytes = Encode(layout);
    bytes.resize(14 + 40 + 8);
    EXPECT_EQ(DecodeBmp(bytes).status, BmpStatus::Truncated);
}

// Random damage to valid files of every kind: the reader answers without crashing, and a picture it
// accepts has the size its header gives. Set CHRONIVO_FUZZ_SEED to replay a run.
TEST(DecodeBmp, SurvivesRandomDamage)
{
    const char* seedText = std::getenv("CHRONIVO_FUZZ_SEED");
    const unsigned seed =
        seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    std::cout << "CHRONIVO_FUZZ_SEED=" << seed << "\n";
    std::mt19937 random(seed);
    std::vector<Bytes> samples;
    for (std::uint16_t bpp : {1, 4, 8})
        samples.push_back(Encode(PalettePicture(bpp, 40, false)));
    samples.push_back(Encode(PalettePicture(8, 12, false)));
    for (std::uint16_t bpp : {16, 24, 32}) {
        BmpLayout layout;
        layout.bitsPerPixel = bpp;
        layout.headerSize = 124;
        layout.compression = bpp == 24 ? 0 : 3;
        layout.writeMasks = true;
        layout.masks = {0xF800, 0x07E0, 0x001F};
        layout.rows.assign(3, std::vector<std::uint32_t>(5, 0x1234));
        samples.push_back(Encode(layout));
    }
    for (int round = 0; round < 20000; ++round) {
        Bytes bytes = samples[random() % samples.size()];
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            // Mostly the headers, where the sizes and offsets are.
            const std::size_t at =
                random() % 4 ? random() % std::min<std::size_t>(bytes.size(), 70) : random() % bytes.size();
            bytes[at] = static_cast<std::uint8_t>(random() % 3 ? random() : (random() % 2 ? 0xFF : 0x00));
        }
        if (random() % 5 == 0)
            bytes.resize(random() % bytes.size());
        const BmpResult result = DecodeBmp(bytes);
        if (result.status == BmpStatus::Ok) {
            ASSERT_GT(result.bitmap.Width(), 0) << "round " << round;
            ASSERT_GT(result.bitmap.Height(), 0) << "round " << round;
        } else {
            ASSERT_EQ(result.bitmap.Width(), 0) << "round " << round;
        }
    }
}

// Files written by another program: they read as the colours that went in.
TEST(DecodeBmp, FilesFromAnotherWriter)
{
    const Rgb colours[3][4] = {
        {MakeRgb(255, 0, 0), MakeRgb(0, 255, 0), MakeRgb(0, 0, 255), MakeRgb(255, 255, 255)},
        {MakeRgb(0, 0, 0), MakeRgb(255, 255, 0), MakeRgb(0, 255, 255), MakeRgb(255, 0, 255)},
        {MakeRgb(128, 128, 128), MakeRgb(255, 128, 0), MakeRgb(0, 0, 128), MakeRgb(255, 255, 255)},
    };
    for (const char* name : {"rgb24.bmp", "pal4.bmp", "argb32.bmp", "rgb565.bmp"}) {
        SCOPED_TRACE(name);
        const BmpResult result = ReadBmpFile(std::string(CHRONIVO_TEST_DATA) + "/bmp/" + name);
        ASSERT_EQ(result.status, BmpStatus::Ok) << BmpStatusName(result.status);
        ASSERT_EQ(result.bitmap.Width(), 4);
        ASSERT_EQ(result.bitmap.Height(), 3);
        // The writer rounds 16-bit channels its own way: within one step of 5 bits.
        const int tolerance = std::string(name) == "rgb565.bmp" ? 8 : 0;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                const Rgb got = result.bitmap.Pixel(x, y);
                const Rgb want = colours[y][x];
                EXPECT_NEAR(RedOf(got), RedOf(want), tolerance) << x << "," << y;
                EXPECT_NEAR(GreenOf(got), GreenOf(want), tolerance) << x << "," << y;
                EXPECT_NEAR(BlueOf(got), BlueOf(want), tolerance) << x << "," << y;
            }
        }
    }
    const BmpResult bilevel = ReadBmpFile(std::string(CHRONIVO_TEST_DATA) + "/bmp/bw1.bmp");
    ASSERT_EQ(bilevel.status, BmpStatus::Ok);
    const Rgb k = 0, w = 0xFFFFFF;
    const Rgb expected[2][5] = {{k, w, k, w, w}, {w, k, k, w, k}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(bilevel.bitmap.Pixel(x, y), expected[y][x]) << x << "," << y;
}

TEST(ReadBmpFile, FilesThatAreNoPictureAreRefusedWithoutReadingThem)
{
    TempDir dir;
    EXPECT_EQ(ReadBmpFile(dir.File("absent.bmp")).status, BmpStatus::FileError);
    std::filesystem::create_directory(dir.File("folder.bmp"));
    EXPECT_EQ(ReadBmpFile(dir.File("folder.bmp")).status, BmpStatus::FileError);
#ifndef _WIN32
    // A FIFO without a writer would hold a blocking open for ever.
    ASSERT_EQ(::mkfifo(dir.File("fifo.bmp").c_str(), 0600), 0);
    EXPECT_EQ(ReadBmpFile(dir.File("fifo.bmp")).status, BmpStatus::FileError);
#endif

    // A sparse file of 4 GB: refused by its size alone, at once.
    {
        std::ofstream(dir.File("huge.bmp")) << "BM";
    }
    std::filesystem::resize_file(dir.File("huge.bmp"), std::uintmax_t{4} << 30);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadBmpFile(dir.File("huge.bmp")).status, BmpStatus::TooLarge);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));

    // Tighter limits refuse a file that the default ones would read.
    const Bytes small = Encode(PalettePicture(8, 40, false));
    dir.Write("small.bmp", std::string(small.begin(), small.end()));
    EXPECT_EQ(ReadBmpFile(dir.File("small.bmp")).status, BmpStatus::Ok);
    EXPECT_EQ(ReadBmpFile(dir.File("small.bmp"), {4, 4, 16}).status, BmpStatus::TooLarge);
}

} // namespace
