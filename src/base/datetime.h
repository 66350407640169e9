// The program's date-time value and its fixed text formats.
//
// A date-time is a double counting days since 30 December 1899 00:00, the fraction being the time
// of day. All time arithmetic of the program is done in these days. Texts meant for the user (the
// long date, short date and time) follow the user's regional formats, a platform service
// (platform/localeformats.h); the fixed formats ("hh:nn:ss", decimal numbers) are made here.
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
