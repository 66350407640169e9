// The main window bound to its tray rules: the icon, its tip, its clicks and the state saved on close,
// with a recording notification area on Qt's off-screen platform.
#include "app/cv_main.h"
#include "app/utils.h"
#include "support/fake_notificationarea.h"
#include "support/mainwindowfakes.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

TEST(MainWindowTray, IconTipClicksAndCloseWhileHidden)
{
    TempDir folder;
    folder.Write("chronivo.ini", "[MainWin]\nLeft=30\nTop=40\n[Display]\nTrayIcon=1\n");
    MainServices services = TestMainServices();
    auto area = std::make_unique<FakeNotificationArea>();
    FakeNotificationArea& tray = *area;
    services.trayArea = std::move(area);
    TcvMain window(folder.Path().string() + '/', std::move(services));

    // The first tick runs as the window shows, so the tip reads the time at once.
    window.show();
    ASSERT_EQ(tray.Kinds(), (std::vector<std::string>{"add", "modify"}));
    EXPECT_EQ(tray.calls[0].data.tip, "Chronivo");
    EXPECT_EQ(tray.calls[0].data.icon.width, 32);
    EXPECT_FALSE(window.WindowRules().Look().taskbarEntry);
    EXPECT_EQ(tray.calls.back().data.tip, "12:00:00  Wednesday, 15 July 2026");
    QCoreApplication::processEvents(); // the window reaches the screen

    tray.Notify(tray_message::kLeftUp);
    EXPECT_TRUE(window.isHidden());
    EXPECT_TRUE(window.IsHiddenInTray());
    tray.Notify(tray_message::kLeftUp);
    EXPECT_TRUE(window.isVisible());
    tray.Notify(tray_message::kLeftUp);

    window.btnCloseClick();
    EXPECT_EQ(tray.Kinds().back(), "delete");
    std::string reason;
    ASSERT_EQ(FinishIniSaves(std::chrono::seconds(10), reason), SavesFinished::Saved) << reason;
    EXPECT_EQ(folder.Read("chronivo.ini"), "[MainWin]\nLeft=30\nTop=40\nMinimized=1\n[Display]\nTrayIcon=1\n");
}

} // namespace
