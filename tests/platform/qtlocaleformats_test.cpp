// The user's regional formats as the window shows them. The tests run in the C locale, whose short
// time format carries seconds: the map labels' "t" must still show hours and minutes only.
#include "platform/qt/qtlocaleformats.h"

#include <gtest/gtest.h>

namespace {

const TDateTime kMoment = EncodeDate(2026, 12, 7) + EncodeTime(14, 5, 9, 0);

TEST(QtLocaleFormats, ShortTimeHasHoursAndMinutesOnly)
{
    const QtLocaleFormats formats;
    const std::string text = formats.ShortTime(kMoment);
    EXPECT_NE(text.find("05"), std::string::npos) << text;
    EXPECT_EQ(text.find("09"), std::string::npos) << text;
    // Texts are kept by minute: another second of it reads the same, the next minute and hour do not.
    EXPECT_EQ(formats.ShortTime(kMoment + EncodeTime(0, 0, 40, 0)), text);
    EXPECT_NE(formats.ShortTime(kMoment + EncodeTime(0, 1, 0, 0)).find("06"), std::string::npos);
    EXPECT_NE(formats.ShortTime(kMoment + EncodeTime(1, 0, 0, 0)).find("15"), std::string::npos);
}

TEST(QtLocaleFormats, LongDateAndStampCarryTheWholeMoment)
{
    const QtLocaleFormats formats;
    EXPECT_NE(formats.LongDate(kMoment).find("2026"), std::string::npos);
    // The log's stamp: the numeric short date and the clock time, with no zone and no month name.
    EXPECT_EQ(FormatShortDateLongTime(kMoment, formats), "2026-12-07 14:05:09");
}

TEST(QtLocaleFormats, KeepsTheMillisecondRoundingOfTheCore)
{
    const QtLocaleFormats formats;
    EXPECT_EQ(formats.LongTime(kMoment - 0.4 / kMSecsPerDay), formats.LongTime(kMoment));
}

} // namespace
