// When the clock tick starts an automatic update: the update type, six hours since the last
// attempt, second 30, and for type 3 a connected dial-up link, asked last.
#include "app/appsettings.h"
#include "app/clocktick.h"
#include "app/utils.h"
#include "support/fake_timesync.h"
#include "support/tempdir.h"
#include "timesync/testras.h"

#include <gtest/gtest.h>


namespace {

constexpr double kSecond = 1.0 / 86400;
constexpr TDateTime kLast = 45000.0; // exact in binary, so 0.25 day after it is exactly 0.25 away

TEST(AutomaticUpdate, FiresOnlyWhenEveryConditionHoldsAndAsksTheLinkLast)
{
    struct DueCase {
        const char* name;
        int type;
        double sinceLast; // days
        int seconds;
        bool linkUp;
        bool due;
        bool linkAsked;
    };
    const std::vector<DueCase> cases{
        {"never", 0, 1.0, 30, true, false, false},
        {"manually", 1, 1.0, 30, true, false, false},
        {"negative type", -1, 1.0, 30, true, false, false},
        {"automatically", 2, 1.0, 30, false, true, false},
        {"exactly six hours", 2, 0.25, 30, false, false, false},
        {"just over six hours", 2, 0.25 + 0.001 * kSecond, 30, false, true, false},
        {"last update in the future", 2, -1.0 / 24, 30, false, false, false},
        {"second 29", 2, 1.0, 29, false, false, false},
        {"second 31", 3, 1.0, 31, true, false, false},
        {"dial-up, no link", 3, 1.0, 30, false, false, true},
        {"dial-up, link up", 3, 1.0, 30, true, true, true},
        {"dial-up, too soon", 3, 0.1, 30, true, false, false},
        {"type 4 acts as 3, no link", 4, 1.0, 30, false, false, true},
        {"type 99 acts as 3, link up", 99, 1.0, 30, true, true, true},
    };
    for (const DueCase& c : cases) {
        SCOPED_TRACE(c.name);
        bool asked = false;
        const bool due = AutomaticUpdateDue(UpdateTypeId{c.type}, kLast + c.sinceLast, kLast, c.seconds, [&] {
            asked = true;
            return c.linkUp;
        });
        EXPECT_EQ(due, c.due);
        EXPECT_EQ(asked, c.linkAsked);
    }
}

TEST(AutomaticUpdate, LastUpdateInTheFutureHoldsOffUntilSixHoursAfterIt)
{
    // The clock was put back an hour after the last update.
    const TDateTime last = kLast + 1.0 / 24;
    const auto noLink = [] { return false; };
    EXPECT_FALSE(AutomaticUpdateDue(UpdateTypeId::Automatically, kLast + 0.25 + kSecond, last, 30, noLink));
    EXPECT_FALSE(AutomaticUpdateDue(UpdateTypeId::Automatically, last + 0.25, last, 30, noLink));
    EXPECT_TRUE(AutomaticUpdateDue(UpdateTypeId::Automatically, last + 0.25 + kSecond, last, 30, noLink));
}

TEST(AutomaticUpdate, NeverUpdatedFiresAtTheFirstSecondThirty)
{
    const TempDir folder;
    MainState state;
    state.IniFileName = folder.File("chronivo.ini");
    WriteIniString(state.IniFileName, "Clock", "Update type", "2");
    WriteIniString(state.IniFileName, "Clock", "Last update", "0");
    settings_file::ReadClockSettings(state);
    EXPECT_EQ(state.LastUpdate, 0.0);

    // Half-second ticks from 10:00:12.250 for a minute.
    const FixedLocaleFormats formats;
    std::vector<std::string> fired;
    for (int tick = 0; tick < 120; ++tick) {
        TickTexts texts;
        const TDateTime now = kLast + (10 * 3600 + 12.25 + tick * 0.5) * kSecond;
        if (BeginTick(state, now, formats, texts) &&
            AutomaticUpdateDue(state.UpdateType, state.TickTime, state.LastUpdate, texts.seconds, {})) {
            fired.push_back(texts.time);
            state.LastUpdate = state.TickTime; // as the update does before it waits
        }
    }
    EXPECT_EQ(fired, std::vector<std::string>{"10:00:30"});
}

TEST(DialUp, AnyConnectedLinkCounts)
{
    struct LinkCase {
        const char* name;
        std::vector<DialUpLink> links;
        bool connected;
    };
    const std::vector<LinkCase> cases{
        {"none", {}, false},
        {"one connected", {{"ppp0", true}}, true},
        {"one not connected", {{"ppp0", false}}, false},
        // Two connections up are still a connection up.
        {"two connected", {{"ppp0", true}, {"wwan0", true}}, true},
        {"the second connected", {{"ppp0", false}, {"ppp1", true}}, true},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDialUpStatus status;
        status.links = c.links;
        EXPECT_EQ(IsDialUpConnected(status), c.connected);
    }
}

} // namespace
