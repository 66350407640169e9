// The Sun's shadow in the main window's frames: on by default, off by the setting, the marker with it.
// The test clock stands at noon on 15 July, in a time zone that is UTC whatever the computer's.
#include "app/cv_main.h"
#include "app/utils.h"
#include "platform/timezoneinfo.h"
#include "support/mainwindowfakes.h"
#include "support/tempdir.h"
#include "worldmap/greatcircle.h"
#include "worldmap/sunshadow.h"

#include <gtest/gtest.h>

namespace {

TEST(MainWindowShadow, DarkensTheNightAndMarksTheSunOnlyWhenOn)
{
    const Bitmap world = BuiltInMapPicture(BuiltInMap::World);
    MapGeometry geometry;
    const SunPoint sun = SubsolarPoint(EncodeDate(2026, 7, 15) + 0.5);
    const int sunX = LonToX(geometry, RadToDeg(sun.westLongitude));
    const int sunY = LatToY(geometry, RadToDeg(sun.latitude));
    ASSERT_EQ(sunX, 160); // noon UTC, the Sun 6 minutes behind the clock: 1.5 degrees east
    // Mid-Pacific at 170 W lies in the night, an hour before its midnight.
    constexpr int nightX = 10, nightY = 80;

    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "shadow on" : "shadow off");
        TempDir folder;
        folder.Write("chronivo.ini", std::string("[Display]\nMap view=0\nShow shadow=") + (on ? "1" : "0") + "\n");
        TcvMain window(folder.Path().string() + '/', TestMainServices());
        window.TimerTimer();
        const Bitmap& frame = window.FrameBitmap();
        const Rgb night = world.Pixel(nightX, nightY);
        EXPECT_EQ(frame.Pixel(nightX, nightY), on ? DarkenPixel(night, kShadowNight) : night);
        int yellow = 0;
        for (int y = sunY - 4; y < sunY + 4; ++y)
            for (int x = sunX - 4; x < sunX + 4; ++x)
                yellow += frame.Pixel(x, y) == kSunColor;
        // The 8 × 8 disc, its corners cut, over the day side where no city stands.
        EXPECT_EQ(yellow > 40, on) << yellow << " yellow pixels";
        EXPECT_EQ(frame.Pixel(sunX, sunY) == kSunColor, on);
    }
}

} // namespace
