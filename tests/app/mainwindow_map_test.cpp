// The main window's map: the replacement world picture, the frame bitmaps and the paint box, the
// first frame and its copy to the screen.
#include "app/cv_main.h"
#include "support/bmpwriter.h"
#include "support/mainwindowfakes.h"
#include "support/tempdir.h"
#include "worldmap/mapgeometry.h"
#include "worldmap/mapview.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

namespace {

constexpr QPoint kMapPlace(47, 39);

class MainWindowMap : public testing::Test {
protected:
    void Settings(const std::string& display)
    {
        m_folder.Write("chronivo.ini", "[Display]\n" + display + "\n[World Cities]\nCity 1=London, England\n");
    }
    void MapFile(const Bytes& bytes) { m_folder.Write("map.bmp", std::string(bytes.begin(), bytes.end())); }

    std::unique_ptr<TcvMain> Open()
    {
        return std::make_unique<TcvMain>(m_folder.Path().string() + '/', TestMainServices());
    }

    TempDir m_folder;
};

// What the window shows in its map area, pixel for pixel.
QImage MapArea(TcvMain& window)
{
    return window.grab().toImage().copy(QRect(kMapPlace, window.MapSize())).convertToFormat(QImage::Format_RGB32);
}

TEST_F(MainWindowMap, ShowsNothingBeforeTheFirstFrameThenTheFrameAsDrawn)
{
    Settings("Map view=0");
    const auto window = Open();
    EXPECT_EQ(window->MapSize(), QSize(316, 158));
    ASSERT_FALSE(window->State().MapReady);
    const QImage before = MapArea(*window);

    window->TimerTimer(); // the first tick always draws
    ASSERT_TRUE(window->State().MapReady);
    const Bitmap& frame = window->FrameBitmap();
    ASSERT_EQ(frame.Width(), 316);
    EXPECT_EQ(frame.Pixel(159, 33), kDotColor) << "London's dot";
    const QImage after = MapArea(*window);
    int differing = 0;
    for (int y = 0; y < 158; ++y) {
        for (int x = 0; x < 316; ++x) {
            ASSERT_EQ(after.pixel(x, y) & 0xFFFFFF, frame.Pixel(x, y)) << x << "," << y;
            differing += (before.pixel(x, y) & 0xFFFFFF) != frame.Pixel(x, y);
        }
    }
    EXPECT_GT(differing, 316 * 158 / 2) << "before the first frame the map area showed the map";
}

// A replacement picture sets the frames' size and the geometry; the map area keeps its place and
// size, shows the frame's top-left corner, and leaves the buttons beside it uncovered and clickable.
TEST_F(MainWindowMap, LargerReplacementPictureStaysInsideTheMapArea)
{
    Settings("Map view=0\nShow shadow=0");
    MapFile(PlainBmp(400, 200, 0x336699));
    const auto window = Open();
    EXPECT_EQ(window->MapSize(), QSize(316, 158));
    window->TimerTimer();
    const Bitmap& frame = window->FrameBitmap();
    ASSERT_EQ(frame.Width(), 318) << "only the block the area shows is kept";
    ASSERT_EQ(frame.Height(), 158);
    // London on a 400 × 200 map: column 200 + 1, row 100 - Nearest(52 × 100 / 90).
    EXPECT_EQ(frame.Pixel(201, 42), kDotColor);

    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(kMapPlace.x() + 315, kMapPlace.y() + 157) & 0xFFFFFF, 0x336699u);
    EXPECT_NE(shown.pixel(kMapPlace.x() + 330, kMapPlace.y() + 100) & 0xFFFFFF, 0x336699u) << "right of the area";
    EXPECT_NE(shown.pixel(kMapPlace.x() + 100, kMapPlace.y() + 170) & 0xFFFFFF, 0x336699u) << "below the area";
    const QWidget* atSetClock = window->childAt(387, 57);
    ASSERT_NE(atSetClock, nullptr);
    EXPECT_EQ(atSetClock->accessibleName(), "Set Clock");
}

TEST_F(MainWindowMap, SmallerReplacementPictureLeavesTheRestOfTheAreaBlack)
{
    Settings("Map view=0\nShow shadow=0");
    MapFile(PlainBmp(200, 100, 0x336699));
    const auto window = Open();
    window->TimerTimer();
    const QImage area = MapArea(*window);
    EXPECT_EQ(area.pixel(199, 99) & 0xFFFFFF, 0x336699u);
    EXPECT_EQ(area.pixel(250, 50) & 0xFFFFFF, 0u);
    EXPECT_EQ(area.pixel(50, 130) & 0xFFFFFF, 0u);
}

TEST_F(MainWindowMap, UnusableReplacementLeavesTheBuiltInPicture)
{
    Bytes truncated = PlainBmp(300, 100, 0x336699);
    truncated.resize(5000);
    const std::pair<const char*, Bytes> cases[] = {
        {"not a picture", Bytes{'h', 'e', 'l', 'l', 'o'}},
        {"truncated", truncated},
        {"absurdly large", PlainBmp(3000, 1, 0x336699)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        Settings("Map view=0\nShow shadow=0");
        MapFile(bytes);
        const auto window = Open();
        EXPECT_EQ(window->MapSize(), QSize(316, 158));
        window->TimerTimer();
        // The built-in world: a pixel of the Pacific, far from London's dot and label.
        EXPECT_EQ(window->FrameBitmap().Pixel(5, 80), BuiltInMapPicture(BuiltInMap::World).Pixel(5, 80));
    }
}

// A view number beyond 4 from a hand-edited file composes nothing: the frame starts from the
// unfilled view bitmap, and the city stands where the regional geometry with no shifts puts it.
TEST_F(MainWindowMap, ViewNumberBeyondTheRangeDrawsOnTheUnfilledPicture)
{
    Settings("Map view=7");
    const auto window = Open();
    window->TimerTimer();
    const Bitmap& frame = window->FrameBitmap();
    EXPECT_EQ(frame.Pixel(5, 5), 0u);
    EXPECT_EQ(frame.Pixel(158, 99), kDotColor) << "London at (158, 99)";
}

TEST_F(MainWindowMap, OnADoubleDensityScreenEachFramePixelBecomesASharpTwoByTwoBlock)
{
    Settings("Map view=0");
    const auto window = Open();
    window->TimerTimer();
    ASSERT_TRUE(window->State().MapReady);
    QImage screen(window->size() * 2, QImage::Format_RGB32);
    screen.setDevicePixelRatio(2);
    window->render(&screen);
    const Bitmap& frame = window->FrameBitmap();
    for (int y = 0; y < 158; ++y)
        for (int x = 0; x < 316; ++x)
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    ASSERT_EQ(screen.pixel(2 * (kMapPlace.x() + x) + dx, 2 * (kMapPlace.y() + y) + dy) & 0xFFFFFF,
                              frame.Pixel(x, y))
                        << "blurred or shifted at " << x << "," << y;
}

} // namespace
