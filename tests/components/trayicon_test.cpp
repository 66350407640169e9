// The tray icon's state machine over a recording notification area.
#include "components/trayicon.h"
#include "support/fake_notificationarea.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

using Kinds = std::vector<std::string>;

TIcon Picture(std::uint32_t colour)
{
    return {2, 1, {colour, colour}};
}

class TrayIcon : public testing::Test {
protected:
    FakeNotificationArea area;
    std::unique_ptr<TTrayIcon> icon = std::make_unique<TTrayIcon>(area);
};

TEST_F(TrayIcon, ActiveChangesOnlyWhenTheAreaAgrees)
{
    icon->SetActive(true);
    icon->SetActive(true);
    EXPECT_TRUE(icon->Active());
    EXPECT_EQ(area.Kinds(), Kinds{"add"});

    area.refuse = true;
    icon->SetActive(false);
    EXPECT_TRUE(icon->Active()) << "a refused delete leaves the icon active";
    area.refuse = false;
    icon->SetActive(false);
    EXPECT_FALSE(icon->Active());

    area.present = false;
    icon->SetActive(true);
    EXPECT_FALSE(icon->Active()) << "no area, no icon";
    area.present = true;
    icon->SetActive(true);
    EXPECT_TRUE(icon->Active()) << "a later write tries again";
    EXPECT_EQ(area.Kinds(), (Kinds{"add", "delete", "delete", "add", "add"}));
}

TEST_F(TrayIcon, WritesStoreWhileInactiveAndUpdateAtOnceWhileActive)
{
    icon->SetIcon(Picture(0xFF0000FF));
    icon->SetToolTip("Chronivo");
    EXPECT_TRUE(area.calls.empty());
    icon->SetActive(true);
    ASSERT_EQ(area.calls.size(), 1u);
    EXPECT_EQ(area.calls[0].data.icon, Picture(0xFF0000FF));
    EXPECT_EQ(area.calls[0].data.tip, "Chronivo");

    icon->SetToolTip("Chronivo");
    icon->SetIcon(icon->Icon());
    EXPECT_EQ(area.calls.size(), 1u) << "the same tip and the owned icon itself make no call";

    icon->SetToolTip("14:05:09  Monday, 7 December 2026");
    icon->SetIcon(Picture(0xFF00FF00));
    icon->SetIcon(Picture(0xFF00FF00));
    EXPECT_EQ(area.Kinds(), (Kinds{"add", "modify", "modify", "modify"}))
        << "another icon object updates even when equal";
    EXPECT_EQ(area.calls.back().data.tip, "14:05:09  Monday, 7 December 2026");

    icon->SetActive(false);
    EXPECT_EQ(area.calls.back().data.tip, "Chronivo") << "the delete hands back the record of the add";
}

TEST_F(TrayIcon, AreaGetsTheFirst63CharactersOfTheTip)
{
    icon->SetActive(true);
    const std::string whole63(63, 'x');
    icon->SetToolTip(whole63);
    EXPECT_EQ(area.calls.back().data.tip, whole63);
    icon->SetToolTip(whole63 + "y");
    EXPECT_EQ(area.calls.back().data.tip, whole63);
    EXPECT_EQ(icon->ToolTip(), whole63 + "y");

    // Characters, not bytes: "ä" is two bytes and is neither counted twice nor cut in two.
    std::string umlauts;
    for (int i = 0; i < 64; ++i)
        umlauts += "\xC3\xA4";
    icon->SetToolTip(umlauts);
    EXPECT_EQ(area.calls.back().data.tip, umlauts.substr(0, 126));
}

TEST_F(TrayIcon, LeftAndRightReleasesBecomeClicksAtTheCursor)
{
    std::vector<std::tuple<MouseButton, int, int>> clicks;
    icon->OnClick = [&](TTrayIcon& sender, MouseButton button, int x, int y) {
        EXPECT_EQ(&sender, icon.get());
        clicks.emplace_back(button, x, y);
    };
    using namespace tray_message;
    area.cursor = {1010, 5};
    for (std::uint32_t message : {kMouseMove, kLeftDown, kLeftUp, kRightDown, kRightUp, kMiddleUp})
        area.Notify(message);
    area.cursor = {12, 760};
    // A double-click as the desktop reports it: both releases are clicks, the double-click itself not.
    for (std::uint32_t message : {kLeftDown, kLeftUp, kLeftDoubleClick, kLeftUp})
        area.Notify(message);
    area.Notify(kLeftUp, 1);       // another icon's
    area.Notify(kLeftUp, 0x10000); // only the identifier's low 16 bits count

    using Click = std::tuple<MouseButton, int, int>;
    EXPECT_EQ(clicks, (std::vector<Click>{{MouseButton::Left, 1010, 5},
                                          {MouseButton::Right, 1010, 5},
                                          {MouseButton::Left, 12, 760},
                                          {MouseButton::Left, 12, 760},
                                          {MouseButton::Left, 12, 760}}));
    icon->OnClick = nullptr;
    area.Notify(kLeftUp); // ignored without a handler
    EXPECT_EQ(clicks.size(), 5u);
}

TEST_F(TrayIcon, DestroyingRemovesOnlyAnActiveIcon)
{
    icon.reset();
    EXPECT_TRUE(area.calls.empty());
    EXPECT_FALSE(area.receiver) << "notifications stop with the component";

    icon = std::make_unique<TTrayIcon>(area);
    icon->SetActive(true);
    icon.reset();
    EXPECT_EQ(area.Kinds(), (Kinds{"add", "delete"}));
    EXPECT_FALSE(area.shown);
}

} // namespace
