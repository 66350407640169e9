// The clock tick's decisions, driven with made-up times instead of waiting for real ones.
#include "app/clocktick.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const TDateTime kDay = EncodeDate(2026, 12, 7);

TDateTime At(int hour, int minute, int second, int msec = 0)
{
    return kDay + EncodeTime(hour, minute, second, msec);
}

// The fixed English formats, counting how often the long date is asked for.
class CountingFormats final : public LocaleFormats {
public:
    std::string LongDate(TDateTime value) const override
    {
        ++longDates;
        return m_fixed.LongDate(value);
    }
    std::string ShortDate(TDateTime value) const override { return m_fixed.ShortDate(value); }
    std::string LongTime(TDateTime value) const override { return m_fixed.LongTime(value); }
    std::string ShortTime(TDateTime value) const override { return m_fixed.ShortTime(value); }
    mutable int longDates = 0;

private:
    FixedLocaleFormats m_fixed;
};

class Tick : public ::testing::Test {
protected:
    MainState state;
    CountingFormats formats;
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

TEST_F(Tick, DateIsFormattedAndReportedOnlyWhenItChanges)
{
    TickAt(At(23, 59, 58));
    TickAt(At(23, 59, 59));
    EXPECT_FALSE(texts.dateChanged);
    EXPECT_EQ(texts.title, "23:59:59  Monday, 7 December 2026");
    EXPECT_EQ(formats.longDates, 1);
    TickAt(At(23, 59, 59) + EncodeTime(0, 0, 1, 0));
    EXPECT_TRUE(texts.dateChanged);
    EXPECT_EQ(texts.date, "Tuesday, 8 December 2026");
    EXPECT_EQ(formats.longDates, 2);
    TickAt(At(23, 59, 59)); // the clock set back over midnight
    EXPECT_EQ(texts.date, "Monday, 7 December 2026");
}

// Where in its half second a tick falls, and how long until the next one.
TEST(TickPlacement, NextTickComesJustAfterTheNextHalfSecond)
{
    const struct {
        int ms;
        int wait;
    } cases[] = {{0, 500 + kTickLeadMs}, {1, 499 + kTickLeadMs}, {250, 250 + kTickLeadMs},
                 {499, 1 + kTickLeadMs}, {500, 500 + kTickLeadMs}, {999, 1 + kTickLeadMs}};
    for (const auto& c : cases)
        EXPECT_EQ(MsToNextTick(At(14, 5, 9, c.ms)), c.wait) << c.ms;
    // Half a millisecond before the half second still waits past it.
    EXPECT_EQ(MsToNextTick(At(14, 5, 9, 499) + 0.5 / 86400000), 1 + kTickLeadMs);
}

// Ticks placed by MsToNextTick, each coming up to 15 ms late as on a busy machine, from a start at an
// odd moment: every new second shows within 20 ms of its start, and there are no more ticks than a
// free-running 500 ms timer gives.
TEST_F(Tick, NewSecondShowsWithin20MsOfItsStart)
{
    std::mt19937 random(27);
    std::uniform_int_distribution<int> late(0, 15);
    const int runMs = 120000;
    int ticks = 0;
    for (double ms = 317; ms < runMs;) {
        ++ticks;
        const TDateTime now = At(14, 5, 9) + ms / 86400000;
        if (BeginTick(state, now, formats, texts) && ticks > 1) {
            EXPECT_LE(std::fmod(ms, 1000), 20) << texts.time;
        }
        ms += MsToNextTick(now) + late(random);
    }
    EXPECT_LE(ticks, runMs / 500 + 1);
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

TEST_F(Tick, MinuteWithoutATickAtSecond30WaitsForTheNextMinute)
{
    // Ticks every 500 ms from 06:00:00, except that the system was busy from 06:00:29.6 to 06:00:31.2.
    state.UpdateType = UpdateTypeId::Automatically;
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
