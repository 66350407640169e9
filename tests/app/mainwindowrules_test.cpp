// The main window's rules of showing itself, with a recording notification area instead of a desktop.
#include "app/mainwindowrules.h"
#include "support/fake_notificationarea.h"

#include <gtest/gtest.h>

namespace {

using Kinds = std::vector<std::string>;
using enum WindowCondition;

const TIcon kProgramIcon{1, 1, {0xFF2060A0}};

class WindowRules : public testing::Test {
protected:
    FakeNotificationArea area;
    std::vector<WindowLook> applied;
    std::vector<ScreenPoint> menus;
    bool dialogOpen = false;
    int dialogRaised = 0;
    MainWindowRules rules{area,
                          kProgramIcon,
                          {[this](const WindowLook& look) { applied.push_back(look); },
                           [this](int x, int y) {
                               menus.push_back({x, y});
                           },
                           [this] { return dialogOpen; }, [this] { ++dialogRaised; }}};

    WindowCondition Condition() const { return rules.Look().condition; }
    void LeftClick() { area.Notify(tray_message::kLeftUp); }
};

TEST_F(WindowRules, WithoutTrayModeMinimizingKeepsTheTaskbarEntryAndTheOwnStateNormal)
{
    rules.Minimize();
    EXPECT_EQ(applied.back(), (WindowLook{MinimizedToTaskbar, true, "Restore"}));
    EXPECT_FALSE(rules.OwnStateMinimized()) << "closing now saves the place, not Minimized=1";
    rules.RestoredFromTaskbar();
    EXPECT_EQ(applied.back(), (WindowLook{Shown, true, "Minimize"}));
    EXPECT_EQ(applied.size(), 2u);
    EXPECT_TRUE(area.calls.empty());
}

TEST_F(WindowRules, TrayModeShowsTheIconAndLeftClicksToggleHiddenAndShown)
{
    rules.EnterTrayMode();
    rules.EnterTrayMode();
    ASSERT_EQ(area.Kinds(), Kinds{"add"});
    EXPECT_EQ(area.calls[0].data.tip, "Chronivo");
    EXPECT_EQ(area.calls[0].data.icon, kProgramIcon);
    EXPECT_EQ(applied.back(), (WindowLook{Shown, false, "Minimize"})) << "no taskbar entry in tray mode";

    LeftClick();
    EXPECT_EQ(applied.back(), (WindowLook{HiddenInTray, false, "Restore"}));
    EXPECT_TRUE(rules.OwnStateMinimized());
    LeftClick();
    EXPECT_EQ(applied.back(), (WindowLook{Shown, false, "Minimize"}));
    rules.Minimize();
    EXPECT_EQ(Condition(), HiddenInTray);

    area.cursor = {900, 3};
    area.Notify(tray_message::kRightUp);
    EXPECT_EQ(menus, (std::vector<ScreenPoint>{{900, 3}}));
    EXPECT_EQ(Condition(), HiddenInTray) << "the menu changes nothing by itself";

    rules.ShowTip("14:05:09  Monday, 7 December 2026");
    EXPECT_EQ(area.calls.back().data.tip, "14:05:09  Monday, 7 December 2026");

    rules.LeaveTrayMode();
    EXPECT_EQ(area.Kinds(), (Kinds{"add", "modify", "delete"}));
    EXPECT_EQ(applied.back(), (WindowLook{MinimizedToTaskbar, true, "Restore"}))
        << "leaving tray mode never leaves the window hidden with no way back";
}

TEST_F(WindowRules, ALeftClickWhileADialogIsOpenBringsItForwardWithTheWindow)
{
    rules.EnterTrayMode();
    LeftClick();
    ASSERT_EQ(Condition(), HiddenInTray);
    dialogOpen = true;
    LeftClick();
    EXPECT_EQ(Condition(), Shown) << "the dialog's window comes back with it";
    EXPECT_EQ(dialogRaised, 1);
    LeftClick();
    EXPECT_EQ(Condition(), Shown) << "never hidden away behind its dialog";
    EXPECT_EQ(dialogRaised, 2);
    dialogOpen = false;
    LeftClick();
    EXPECT_EQ(Condition(), HiddenInTray);
}

TEST_F(WindowRules, FirstTickAppliesTheSavedMinimizedStateOnce)
{
    rules.EnterTrayMode();
    bool firstTickDone = false;
    int asked = 0;
    const auto saved = [&] { return ++asked, true; };
    rules.FirstTick(firstTickDone, saved);
    EXPECT_TRUE(firstTickDone);
    EXPECT_EQ(Condition(), HiddenInTray);
    LeftClick();
    rules.FirstTick(firstTickDone, saved);
    EXPECT_EQ(Condition(), Shown);
    EXPECT_EQ(asked, 1);

    MainWindowRules plain(area, kProgramIcon, {});
    bool plainDone = false;
    plain.FirstTick(plainDone, [] { return true; });
    EXPECT_EQ(plain.Look().condition, MinimizedToTaskbar) << "without tray mode the taskbar holds it";
}

TEST_F(WindowRules, WithoutANotificationAreaTheTaskbarHoldsTheWindowUntilOneAppears)
{
    area.present = false;
    rules.EnterTrayMode();
    EXPECT_TRUE(rules.InTrayMode());
    EXPECT_FALSE(rules.TrayIcon()->Active());
    EXPECT_TRUE(rules.Look().taskbarEntry);
    rules.Minimize();
    EXPECT_EQ(applied.back(), (WindowLook{MinimizedToTaskbar, true, "Restore"}));
    rules.WatchArea();
    EXPECT_EQ(Condition(), MinimizedToTaskbar);

    area.present = true;
    rules.WatchArea();
    EXPECT_TRUE(rules.TrayIcon()->Active()) << "the refused add is tried again";
    EXPECT_EQ(applied.back(), (WindowLook{HiddenInTray, false, "Restore"}));
    rules.WatchArea();
    EXPECT_EQ(area.Kinds(), (Kinds{"add", "add"}));

    // The area goes away while the window is hidden in it.
    area.present = false;
    rules.WatchArea();
    EXPECT_EQ(applied.back(), (WindowLook{MinimizedToTaskbar, true, "Restore"}));
    rules.RestoreToggle();
    EXPECT_EQ(Condition(), Shown) << "a click on the icon before the tray takes the window back shows it";
    rules.RestoreToggle();
    EXPECT_EQ(Condition(), MinimizedToTaskbar);
    area.present = true;
    rules.WatchArea();
    EXPECT_EQ(Condition(), HiddenInTray);
    EXPECT_EQ(area.Kinds(), (Kinds{"add", "add"})) << "the icon stayed added meanwhile";
}

TEST_F(WindowRules, CloseWhileHiddenSavesMinimizedAndShowsNothing)
{
    rules.EnterTrayMode();
    rules.Minimize();
    const std::size_t looks = applied.size();
    EXPECT_TRUE(rules.Close());
    EXPECT_EQ(area.Kinds(), (Kinds{"add", "delete"}));
    EXPECT_EQ(applied.size(), looks);

    MainWindowRules shown(area, kProgramIcon, {});
    shown.EnterTrayMode();
    EXPECT_FALSE(shown.Close());
}

} // namespace
