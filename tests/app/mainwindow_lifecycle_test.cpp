// The main window's life: its first tick comes as soon as it is shown, not 500 ms later, and
// closing it ends the program's event loop whatever its state, hidden in the tray included.
#include "app/buttonpictures.h"
#include "app/cv_main.h"
#include "app/mainpictures.h"
#include "app/utils.h"
#include "support/mainwindowfakes.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>

namespace {

// The button pictures are drawn at build time and carried as resources: each is there, at its size,
// and not blank.
TEST(MainWindowLife, CarriesEachButtonPictureDrawnAtBuildTime)
{
    using namespace main_pictures;
    const std::pair<ButtonPicture, QPixmap> carried[] = {
        {ButtonPicture::Minimize, Minimize()}, {ButtonPicture::Close, Close()}, {ButtonPicture::SetClock, SetClock()},
        {ButtonPicture::ShowCal, ShowCal()},   {ButtonPicture::Settings, Settings()}, {ButtonPicture::Help, Help()},
        {ButtonPicture::Logo, Logo()},
    };
    for (const auto& [which, picture] : carried) {
        SCOPED_TRACE(ButtonPictureOf(which).name);
        ASSERT_EQ(picture.size(), ButtonPictureOf(which).size);
        const QImage image = picture.toImage();
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "a corner is left out";
        EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2).alpha(), 255);
    }
}

TEST(MainWindowLife, FirstTickDrawsTheMapAsSoonAsTheWindowIsShown)
{
    TempDir folder;
    TcvMain window(folder.Path().string() + '/', TestMainServices());
    window.show();
    QElapsedTimer shown;
    shown.start();
    while (!window.State().MapReady && shown.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(window.State().MapReady);
    EXPECT_LT(shown.elapsed(), 400) << "the map waited for the timer";
    EXPECT_EQ(window.State().LastTimeText, "12:00:00");
}

TEST(MainWindowLife, ClosingEndsTheEventLoopEvenWhenTheWindowIsHidden)
{
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "hidden" : "shown");
        TempDir folder;
        TcvMain window(folder.Path().string() + '/', TestMainServices());
        window.show();
        QTimer::singleShot(0, &window, [&window, hidden] {
            if (hidden)
                window.hide(); // as in the tray: no visible window is left to close
            window.close();
        });
        // Should the close not end the loop, this does, with another code.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        guard.start(3000);
        EXPECT_EQ(QApplication::exec(), 0);
    }
}

// The program's end cuts a clock update short: its answer never reaches the window, so the log
// says the attempt ended with the program.
TEST(MainWindowLife, ClosingDuringAClockUpdateLogsItAsCutShort)
{
    TempDir folder;
    MainServices services = TestMainServices();
    services.timeSync.sockets = std::make_unique<NoSockets>(std::chrono::milliseconds(300));
    {
        TcvMain window(folder.Path().string() + '/', std::move(services));
        window.TimerTimer();
        window.UpdateSystemClock(nullptr);
        window.close();
    }
    std::string reason;
    ASSERT_EQ(FinishIniSaves(std::chrono::seconds(10), reason), SavesFinished::Saved) << reason;
    EXPECT_NE(ReadIniString(folder.File("chronivo.ini"), "Clock", "Log", 128).find("the program ended before it answered"),
              std::string::npos);
}

} // namespace
