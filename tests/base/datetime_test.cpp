// The date-time value: calendar conversions and the fixed text formats.
#include "base/datetime.h"
#include "platform/localeformats.h"

#include <gtest/gtest.h>

namespace {

TEST(DateTime, KnownDatesEncodeToTheirDayNumbers)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0); // the Time protocol's epoch
    EXPECT_EQ(EncodeDate(2000, 3, 1), 36586.0);
    EXPECT_EQ(EncodeDate(2026, 12, 7), 46363.0);
}

TEST(DateTime, DecodeRoundTripsEveryDayOfFourHundredYears)
{
    for (int day = 0; day < 146097; day += 1) {
        const DateParts d = DecodeDate(day + 0.75);
        ASSERT_EQ(EncodeDate(d.year, d.month, d.day), static_cast<double>(day)) << day;
    }
}

TEST(DateTime, DayOfWeekCountsFromSunday)
{
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 7)), 2);  // a Monday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 3, 29)), 1); // a Sunday
    EXPECT_EQ(DayOfWeek(0.0), 7);                      // 30 December 1899, a Saturday
}

TEST(DateTime, TimeTextRoundsToTheNearestMillisecondFirst)
{
    const TDateTime day = EncodeDate(2026, 12, 7);
    EXPECT_EQ(FormatTimeHHNNSS(day + EncodeTime(14, 5, 9, 0)), "14:05:09");
    // Just short of a whole second by floating-point error still reads as that second.
    EXPECT_EQ(FormatTimeHHNNSS(day + EncodeTime(14, 5, 8, 999) + 0.0000000058), "14:05:09");
    EXPECT_EQ(FormatTimeHHNNSS(day + EncodeTime(23, 59, 59, 999)), "23:59:59");
    EXPECT_EQ(DecodeDate(day + 0.99999999999).day, 8);
}

TEST(DateTime, SettingTextIsFixedNotationWithPointWhateverTheLocale)
{
    EXPECT_EQ(DateTimeToSettingText(0.0), "0");
    EXPECT_EQ(DateTimeToSettingText(46363.5), "46363.5");
    EXPECT_EQ(DateTimeToSettingText(46363.0 + 14.0 / 24), "46363.5833333333");
    double back = 0;
    ASSERT_TRUE(TryParseDecimal(DateTimeToSettingText(46363.0 + 14.0 / 24), back));
    EXPECT_NEAR(back, 46363.0 + 14.0 / 24, 1e-9);
    for (const char* bad : {"", "46363,5", "nan", "inf", "1e999", "12 ", "abc"})
        EXPECT_FALSE(TryParseDecimal(bad, back)) << bad;
}

TEST(DateTime, FixedFormatsReadAsExpected)
{
    const FixedLocaleFormats formats;
    const TDateTime moment = EncodeDate(2026, 12, 7) + EncodeTime(14, 5, 9, 0);
    EXPECT_EQ(formats.LongDate(moment), "Monday, 7 December 2026");
    EXPECT_EQ(formats.ShortTime(moment), "14:05");
    EXPECT_EQ(FormatShortDateLongTime(moment, formats), "07/12/2026 14:05:09");
    // At midnight the time is left out.
    EXPECT_EQ(FormatShortDateLongTime(EncodeDate(2024, 5, 1), formats), "01/05/2024");
    EXPECT_EQ(FormatShortDateLongTime(EncodeDate(2024, 5, 1) + EncodeTime(0, 0, 0, 400), formats), "01/05/2024");
}

} // namespace
