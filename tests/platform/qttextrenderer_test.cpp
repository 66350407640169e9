#include "platform/qt/qttextrenderer.h"

#include <gtest/gtest.h>

#include "platform/qt/qtbitmapimage.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStaticText>

namespace {

constexpr Rgb kPaper = MakeRgb(10, 20, 90);
constexpr Rgb kAqua = MakeRgb(0, 255, 255);

struct Ink {
    int count = 0;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN; // inclusive
    bool onlyColor = true;
};

Ink InkOf(const Bitmap& bitmap, Rgb color)
{
    Ink ink;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const Rgb pixel = bitmap.Pixel(x, y);
            if (pixel == kPaper)
                continue;
            ++ink.count;
            ink.onlyColor = ink.onlyColor && pixel == color;
            ink.left = std::min(ink.left, x);
            ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

// The lettering lands in the bitmap's own pixels, in the one colour asked (no smoothing that would
// mix it with the picture), inside the box its extent gives from the top-left corner.
TEST(QtTextRenderer, DrawsOnTheBitmapInsideItsExtent)
{
    Bitmap bitmap(120, 30, kPaper);
    QtTextRenderer text;
    text.Begin(bitmap, MapFont{});
    const TextExtent extent = text.Extent("Honolulu");
    text.Out(7, 5, "Honolulu", kAqua);
    text.End();

    EXPECT_GT(extent.width, 20);
    EXPECT_GE(extent.height, 9);
    const Ink ink = InkOf(bitmap, kAqua);
    ASSERT_GT(ink.count, 20);
    EXPECT_TRUE(ink.onlyColor);
    EXPECT_GE(ink.left, 7);
    EXPECT_GE(ink.top, 5);
    EXPECT_LT(ink.right, 7 + extent.width);
    EXPECT_LT(ink.bottom, 5 + extent.height);
}

TEST(QtTextRenderer, TextOffTheBitmapIsClipped)
{
    Bitmap bitmap(10, 10, kPaper);
    QtTextRenderer text;
    text.Begin(bitmap, MapFont{});
    text.Out(-200, 3, "Far away", kAqua);
    text.Out(4, 200, "Far away", kAqua);
    text.End();
    EXPECT_EQ(InkOf(bitmap, kAqua).count, 0);

    Bitmap empty;
    text.Begin(empty, MapFont{});
    text.Out(0, 0, "nothing to draw on", kAqua);
    text.End();
}

// Names in the settings file's old code page read as Latin-1 and letter the same as in UTF-8.
TEST(QtTextRenderer, TextThatIsNotUtf8ReadsAsLatin1)
{
    Bitmap utf8(80, 20, kPaper), latin1(80, 20, kPaper);
    QtTextRenderer text;
    text.Begin(utf8, MapFont{});
    const TextExtent utf8Extent = text.Extent("S\xC3\xA3o Paulo");
    text.Out(1, 1, "S\xC3\xA3o Paulo", kAqua);
    text.End();
    text.Begin(latin1, MapFont{});
    const TextExtent latin1Extent = text.Extent("S\xE3o Paulo");
    text.Out(1, 1, "S\xE3o Paulo", kAqua);
    text.End();
    EXPECT_EQ(utf8Extent, latin1Extent);
    EXPECT_EQ(utf8, latin1);
}

TEST(QtTextRenderer, FontOfTheSettings)
{
    // "Small Fonts" is a Windows face: a small sans face stands in, at 7 points of 96 dpi = 9 pixels.
    const QFont standIn = QtTextRenderer::ResolveFont(MapFont{});
    EXPECT_TRUE(QFontDatabase::hasFamily(standIn.family())) << standIn.family().toStdString();
    EXPECT_EQ(standIn.pixelSize(), 9);
    EXPECT_FALSE(standIn.bold() || standIn.italic() || standIn.underline());

    const QFont named = QtTextRenderer::ResolveFont({"DejaVu Sans Mono", 8, FontStyle{true, true, true}});
    EXPECT_EQ(QFontInfo(named).family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(named.pixelSize(), 11);
    EXPECT_TRUE(named.bold() && named.italic() && named.underline());

    EXPECT_EQ(PointsToPixels(0), 1);
    EXPECT_EQ(PointsToPixels(-5), 1);
    EXPECT_EQ(PointsToPixels(12), 16);
}

// Another font between frames takes effect; the same one again gives the same extents.
TEST(QtTextRenderer, FollowsFontChangesBetweenFrames)
{
    Bitmap bitmap(10, 10);
    QtTextRenderer text;
    text.Begin(bitmap, {"DejaVu Sans", 7, {}});
    const TextExtent small = text.Extent("Sydney");
    text.End();
    text.Begin(bitmap, {"DejaVu Sans", 14, {}});
    const TextExtent large = text.Extent("Sydney");
    text.End();
    text.Begin(bitmap, {"DejaVu Sans", 7, {}});
    EXPECT_EQ(text.Extent("Sydney"), small);
    text.End();
    EXPECT_GT(large.width, small.width);
    EXPECT_GT(large.height, small.height);
}

// A picture of many colours under the lettering, so that a pixel left alone shows.
Bitmap Striped(int width, int height)
{
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, 0xFF000000 | MakeRgb(x * 7, y * 13, (x + y) * 3));
    return bitmap;
}

// The kept stencils set exactly the pixels that QPainter paints, to the same 32-bit values, for the
// first drawing and the later ones, in several faces and colours, and wherever the text is cut by
// the edges.
TEST(QtTextRenderer, LettersAsQPainterDoes)
{
    const MapFont fonts[] = {
        MapFont{},
        {"DejaVu Sans", 8, FontStyle{true, true, true}},
        {"DejaVu Serif", 14, FontStyle{false, true, false}},
    };
    // Times are put together from their characters' stencils, the rest laid out whole.
    const char* const texts[] = {"Honolulu", "12:34", "S\xC3\xA3o Paulo", "Wellington", "jQ|", "07:58", "10:11",
                                 "9:41 PM", "23.07"};
    struct Place {
        int x, y;
        Rgb color;
    };
    const Place places[] = {{5, 4, kAqua}, {6, 5, 0}, {-9, 2, MakeRgb(200, 30, 60)}, {40, -5, kAqua},
                            {52, 12, MakeRgb(1, 2, 3)}, {-3, 15, kAqua}};

    for (const MapFont& font : fonts) {
        QtTextRenderer text;
        const QFont qfont = QtTextRenderer::ResolveFont(font);
        for (const char* name : texts) {
            SCOPED_TRACE(testing::Message() << font.face << " " << font.points << " " << name);
            for (int round = 0; round < 2; ++round) {
                Bitmap cached = Striped(64, 20);
                Bitmap direct = cached;
                text.Begin(cached, font);
                for (const Place& place : places)
                    text.Out(place.x, place.y, name, place.color);
                text.End();

                QImage image = BitmapImage(direct);
                QPainter painter(&image);
                painter.setFont(qfont);
                QStaticText laid(QString::fromUtf8(name));
                laid.setTextFormat(Qt::PlainText);
                for (const Place& place : places) {
                    painter.setPen(QColor::fromRgb(place.color));
                    painter.drawStaticText(QPoint(place.x, place.y), laid);
                }
                painter.end();

                int differing = 0;
                for (int i = 0; i < 64 * 20; ++i)
                    differing += cached.Data()[i] != direct.Data()[i];
                EXPECT_EQ(differing, 0) << "round " << round;
            }
        }
    }
}

// Extents stay right for texts drawn before and after the kept texts were dropped for room.
TEST(QtTextRenderer, ManyTextsKeepTheirExtents)
{
    Bitmap bitmap(40, 20);
    QtTextRenderer text;
    text.Begin(bitmap, MapFont{});
    const TextExtent first = text.Extent("00:00");
    for (int i = 0; i < 5000; ++i)
        text.Out(1, 1, std::to_string(i), kAqua);
    EXPECT_EQ(text.Extent("00:00"), first);
    text.End();
}

} // namespace
