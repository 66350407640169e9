// The clock tick's decisions, driven with made-up times instead of waiting for real ones.
#include "app/clocktick.h"

#include <gtest/gtest.h>

namespace {

const TDateTime kDay = EncodeDate(2026, 12, 7);

TDateTime At(int hour, int minute, int second, int msec = 0)
{
    return kDay + EncodeTime(hour, minute, second, msec);
}

class Tick : public ::testing::Test {
protected:
    MainState state;
    FixedLocaleFormats formats;
    TickTexts texts;

    // One tick at the given time; returns whether it redrew the map.
    bool TickAt(TDateTime now, bool hiddenInTray = false)
    {
        texts = {};
        if (!BeginTick(state, now, formats, texts))
            return false;
        return TakeMapRedraw(state, texts.seconds, hiddenInTray);
    }
};

TEST_F(Tick, FirstTickShowsTimeDateAndTitleAndAlwaysRedraws)
{
    EXPECT_TRUE(TickAt(At(14, 5, 9)));
    EXPECT_EQ(texts.time, "14:05:09");
    EXPECT_TRUE(texts.dateChanged);
    EXPECT_EQ(texts.title, "14:05:09  Monday, 7 December 2026");
    EXPECT_EQ(texts.seconds, 9);
    EXPECT_EQ(state.LastMapTime, At(14, 5, 9));
}

TEST_F(Tick, SecondTickInTheSameSecondDoesNothing)
{
    TickAt(At(14, 5, 9, 100));
    const MainState before = state;
    texts = {};
    EXPECT_FALSE(BeginTick(state, At(14, 5, 9, 600), formats, texts));
    EXPECT_TRUE(texts.time.empty());
    EXPECT_EQ(state.LastTimeText, before.LastTimeText);
    EXPECT_EQ(state.LastMapTime, before.LastMapTime);
}

TEST_F(Tick, DateIsReportedOnlyWhenItChanges)
{
    TickAt(At(23, 59, 58));
    TickAt(At(23, 59, 59));
    EXPECT_FALSE(texts.dateChanged);
    TickAt(At(23, 59, 59) + EncodeTime(0, 0, 1, 0));
    EXPECT_TRUE(texts.dateChanged);
    EXPECT_EQ(texts.date, "Tuesday, 8 December 2026");
}

TEST_F(Tick, ShownWindowRedrawsAtEachMinuteBoundary)
{
    TickAt(At(14, 5, 9));
    for (int s = 10; s < 60; ++s)
        EXPECT_FALSE(TickAt(At(14, 5, s))) << s;
    EXPECT_TRUE(TickAt(At(14, 6, 0)));
}

TEST_F(Tick, MinuteBoundaryWaitsForMoreThanAFractionOfASecond)
{
    TickAt(At(14, 5, 59, 900)); // first tick: redraws
    EXPECT_FALSE(TickAt(At(14, 6, 0, 300))) << "only 0.4 s after the last redraw";
}

TEST_F(Tick, WindowHiddenInTrayRedrawsOnlyAfterMoreThan6048Seconds)
{
    TickAt(At(14, 5, 9), true);
    EXPECT_FALSE(TickAt(At(14, 6, 0), true));
    EXPECT_FALSE(TickAt(At(14, 6, 9), true)); // 60 s
    EXPECT_FALSE(TickAt(At(14, 6, 9, 480), true)); // same displayed second
    EXPECT_TRUE(TickAt(At(14, 6, 10), true));   // 61 s
}

TEST_F(Tick, ClockSetBackRedrawsAtOnce)
{
    TickAt(At(14, 5, 9));
    EXPECT_FALSE(TickAt(At(14, 4, 9)));  // back by exactly 60 s: not more than 60.48 s
    EXPECT_TRUE(TickAt(At(14, 3, 7)));   // more than 60.48 s before the last redraw
}

TEST(AutomaticUpdate, FiresOnlyWhenEveryConditionHolds)
{
    const TDateTime tick = At(6, 0, 30);
    struct Case {
        const char* name;
        int type;
        TDateTime last;
        int seconds;
        bool link;
        bool fires;
    };
    const Case cases[] = {
        {"never", 0, 0.0, 30, true, false},
        {"manually", 1, 0.0, 30, true, false},
        {"automatic, never updated", 2, 0.0, 30, false, true},
        {"automatic, second 29", 2, 0.0, 29, false, false},
        {"automatic, updated 5 h ago", 2, tick - 5.0 / 24, 30, false, false},
        {"automatic, update in the future", 2, tick + 1.0, 30, false, false},
        {"dial-up without a link", 3, 0.0, 30, false, false},
        {"dial-up with a link", 3, 0.0, 30, true, true},
        {"above 3 acts as 3, no link", 4, 0.0, 30, false, false},
        {"above 3 acts as 3, link", 9, 0.0, 30, true, true},
        {"negative never", -1, 0.0, 30, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AutomaticUpdateDue(c.type, tick, c.last, c.seconds, [&] { return c.link; }), c.fires);
    }
}

TEST(AutomaticUpdate, ExactlySixHoursIsNotMoreThanSix)
{
    const TDateTime tick = At(6, 0, 30);
    const TDateTime last = tick - 0.25;
    ASSERT_EQ(tick - last, 0.25);
    EXPECT_FALSE(AutomaticUpdateDue(2, tick, last, 30, nullptr));
    EXPECT_TRUE(AutomaticUpdateDue(2, tick + 1e-6, last, 30, nullptr));
}

TEST(AutomaticUpdate, AsksForTheDialUpLinkLastAndOnlyWhenNeeded)
{
    int asked = 0;
    auto link = [&] {
        ++asked;
        return true;
    };
    const TDateTime tick = At(6, 0, 30);
    AutomaticUpdateDue(3, tick, tick, 30, link);      // too soon
    AutomaticUpdateDue(3, tick, 0.0, 31, link);       // wrong second
    AutomaticUpdateDue(2, tick, 0.0, 30, link);       // no link needed
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(AutomaticUpdateDue(3, tick, 0.0, 30, link));
    EXPECT_EQ(asked, 1);
}

TEST_F(Tick, MinuteWithoutATickAtSecond30WaitsForTheNextMinute)
{
    // Ticks every 500 ms from 06:00:00, except that the system was busy from 06:00:29.6 to 06:00:31.2.
    state.UpdateType = 2;
    int fired = 0;
    TDateTime firedAt = 0;
    for (int ms = 0; ms < 120000; ms += 500) {
        if (ms > 29600 && ms < 31200)
            continue;
        if (!BeginTick(state, At(6, 0, 0, 0) + ms / 86400000.0, formats, texts))
            continue;
        if (AutomaticUpdateDue(state.UpdateType, state.TickTime, state.LastUpdate, texts.seconds, nullptr)) {
            ++fired;
            firedAt = state.TickTime;
            state.LastUpdate = state.TickTime;
        }
    }
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(FormatTimeHHNNSS(firedAt), "06:01:30");
}

} // namespace
