// The window manager's ways, played by a scripted window manager around a window on Qt's off-screen
// platform: when the first showing counts as on screen, the map requests asked again meanwhile, the
// change held back until then, and the minimize the manager really made or lost.
#include "platform/qt/qtwindowmanagerwatch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

namespace {

class ScriptedWindowManager : public ::testing::Test {
protected:
    bool managed = false;
    bool iconic = false;
    int mapAgains = 0;
    int iconicAsks = 0;
    int restores = 0;
    QWidget window;
    WindowManagerWatch watch{window,
                             {[this] { return managed; }, [this] { return iconic; }, [this] { ++mapAgains; },
                              [this] { ++iconicAsks; }},
                             [this] { ++restores; }};

    void Show()
    {
        window.show();
        watch.Shown();
        QCoreApplication::processEvents();
    }
    void Ticks(int count, bool wantMinimized = false)
    {
        for (int i = 0; i < count; ++i)
            watch.Tick(wantMinimized);
        QCoreApplication::processEvents();
    }
};

TEST_F(ScriptedWindowManager, ManagedWindowIsOnScreenWhenExposed)
{
    managed = true;
    Show();
    EXPECT_TRUE(watch.OnScreen());
    EXPECT_EQ(mapAgains, 0);
}

TEST_F(ScriptedWindowManager, UnmanagedWindowAsksToBeMappedEverySecondTickAndHoldsTheLatestChange)
{
    std::vector<int> applied;
    EXPECT_FALSE(watch.HoldUntilOnScreen([&applied] { applied.push_back(0); })) << "a hidden window is not held";
    Show();
    EXPECT_TRUE(watch.HoldUntilOnScreen([&applied] { applied.push_back(1); }));
    EXPECT_TRUE(watch.HoldUntilOnScreen([&applied] { applied.push_back(2); }));
    Ticks(WindowManagerWatch::kTicksWithoutManager - 1);
    EXPECT_FALSE(watch.OnScreen());
    EXPECT_EQ(mapAgains, 2);
    Ticks(1);
    EXPECT_TRUE(watch.OnScreen());
    EXPECT_EQ(applied, std::vector<int>{2});
    EXPECT_FALSE(watch.HoldUntilOnScreen([] {}));
}

TEST_F(ScriptedWindowManager, MinimizeTheManagerLostIsAskedAgainAndOnlyItsOwnComesBackFromTheTaskbar)
{
    managed = true;
    Show();
    watch.MinimizeAsked();
    window.showMinimized();
    watch.StateChanged();
    Ticks(1, true);
    EXPECT_EQ(iconicAsks, 1) << "the manager shows the window normally";

    // Reported normal before the manager minimized it: not a restore by the user.
    window.showNormal();
    watch.StateChanged();
    EXPECT_EQ(restores, 0);

    window.showMinimized();
    iconic = true;
    Ticks(1, true);
    EXPECT_EQ(iconicAsks, 1);
    window.showNormal();
    watch.StateChanged();
    watch.StateChanged();
    EXPECT_EQ(restores, 1);
}

} // namespace
