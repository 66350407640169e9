// The program's date-time value and its text formats.
//
// A date-time is a double counting days since 30 December 1899 00:00, the fraction being the time
// of day. All time arithmetic of the program is done in these days. Texts meant for the user (the
// long date, short date and time) follow the user's regional formats, which the core asks through
// the LocaleFormats interface; the fixed formats ("hh:nn:ss", decimal numbers) are made here.
#pragma once

#include <cstdint>
#include <string>

using TDateTime = double;

constexpr double kSecondsPerDay = 86400.0;
constexpr std::int64_t kMSecsPerDay = 86400000;

struct DateParts {
    int year = 1899;
    int month = 12; // 1..12
    int day = 30;   // 1..31
};

struct TimeParts {
    int hour = 0; // 0..23
    int minute = 0;
    int second = 0;
    int msec = 0;
};

// Days since 30 December 1899 of the given civil date (proleptic Gregorian).
TDateTime EncodeDate(int year, int month, int day);
// Fraction of a day of the given time of day.
TDateTime EncodeTime(int hour, int minute, int second, int msec);
// Civil date of a date-time, taken to the nearest millisecond like the time of day.
DateParts DecodeDate(TDateTime value);
// Time of day of a date-time, to the nearest millisecond.
TimeParts DecodeTime(TDateTime value);
// 1 = Sunday … 7 = Saturday.
int DayOfWeek(TDateTime value);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// "hh:nn:ss": hours 00–23, minutes and seconds with two digits.
std::string FormatTimeHHNNSS(TDateTime value);

// A date-time as the settings file stores it: general number format, at most 15 significant
// digits, fixed notation, "." as the decimal separator whatever the locale.
std::string DateTimeToSettingText(TDateTime value);
// Parses a decimal number written with "."; false (and value untouched) when text is not one.
bool TryParseDecimal(const std::string& text, double& value);

// The user's regional date and time formats.
class LocaleFormats {
public:
    virtual ~LocaleFormats() = default;
    // "dddddd": the long date, such as "Monday, 7 December 2026".
    virtual std::string LongDate(TDateTime value) const = 0;
    // The short date, such as "07/12/2026".
    virtual std::string ShortDate(TDateTime value) const = 0;
    // The long time, with seconds, such as "14:05:09".
    virtual std::string LongTime(TDateTime value) const = 0;
    // "t": the short time, without seconds, such as "14:05".
    virtual std::string ShortTime(TDateTime value) const = 0;
    // The full name of month 1…12 as a caption, such as "January"; English unless overridden.
    virtual std::string LongMonthName(int month) const;
    // The abbreviated name of weekday 1 = Sunday … 7 = Saturday, such as "Sun"; English unless overridden.
    virtual std::string ShortDayName(int dayOfWeek) const;
};

// "c": the short date, then a blank and the long time unless the time of day is 00:00:00.
std::string FormatShortDateLongTime(TDateTime value, const LocaleFormats& formats);

// Fixed English formats, for tools, tests and machines without a locale service.
class FixedLocaleFormats final : public LocaleFormats {
public:
    std::string LongDate(TDateTime value) const override;  // "Monday, 7 December 2026"
    std::string ShortDate(TDateTime value) const override; // "07/12/2026"
    std::string LongTime(TDateTime value) const override;  // "14:05:09"
    std::string ShortTime(TDateTime value) const override; // "14:05"
};

// The current local date and time.
class LocalClock {
public:
    virtual ~LocalClock() = default;
    virtual TDateTime Now() const = 0;
};
