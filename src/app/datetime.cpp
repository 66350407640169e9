#include "app/datetime.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

DateParts CivilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    return DateParts{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

constexpr std::int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

struct SplitValue {
    std::int64_t day;
    std::int64_t msOfDay;
};

// Whole days and the millisecond of the day, rounding to the nearest millisecond first so that
// 14:05:08.9996 reads as 14:05:09, as every displayed time should.
SplitValue Split(TDateTime value)
{
    if (!std::isfinite(value))
        return {0, 0};
    const auto total = static_cast<std::int64_t>(std::llround(value * static_cast<double>(kMSecsPerDay)));
    std::int64_t day = total / kMSecsPerDay;
    std::int64_t ms = total % kMSecsPerDay;
    if (ms < 0) {
        ms += kMSecsPerDay;
        --day;
    }
    return {day, ms};
}

std::string TwoDigits(int n)
{
    std::array<char, 3> text{static_cast<char>('0' + (n / 10) % 10), static_cast<char>('0' + n % 10), '\0'};
    return text.data();
}

constexpr std::array<const char*, 7> kDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonthNames{"January", "February", "March",     "April",   "May",      "June",
                                                  "July",    "August",   "September", "October", "November", "December"};

} // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<size_t>(month - 1)];
}

TDateTime EncodeDate(int year, int month, int day)
{
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                               kEpochDays);
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    const std::int64_t ms = ((hour * 60LL + minute) * 60LL + second) * 1000LL + msec;
    return static_cast<double>(ms) / static_cast<double>(kMSecsPerDay);
}

DateParts DecodeDate(TDateTime value)
{
    return CivilFromDays(Split(value).day + kEpochDays);
}

TimeParts DecodeTime(TDateTime value)
{
    const std::int64_t ms = Split(value).msOfDay;
    return TimeParts{static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                     static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
}

int DayOfWeek(TDateTime value)
{
    // 30 December 1899 was a Saturday (7).
    const std::int64_t day = Split(value).day;
    return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

std::string FormatTimeHHNNSS(TDateTime value)
{
    const TimeParts t = DecodeTime(value);
    return TwoDigits(t.hour) + ':' + TwoDigits(t.minute) + ':' + TwoDigits(t.second);
}

std::string DateTimeToSettingText(TDateTime value)
{
    // to_chars ignores the C locale, so the separator is "." even where the user's is ",".
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 15);
    return std::string(text.data(), result.ptr);
}

bool TryParseDecimal(const std::string& text, double& value)
{
    double parsed = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, parsed, std::chars_format::general);
    if (error != std::errc{} || end != last || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

std::string FormatShortDateLongTime(TDateTime value, const LocaleFormats& formats)
{
    const TimeParts time = DecodeTime(value);
    if (time.hour == 0 && time.minute == 0 && time.second == 0)
        return formats.ShortDate(value);
    return formats.ShortDate(value) + ' ' + formats.LongTime(value);
}

std::string LocaleFormats::LongMonthName(int month) const
{
    return month >= 1 && month <= 12 ? kMonthNames[static_cast<size_t>(month - 1)] : "";
}

std::string LocaleFormats::ShortDayName(int dayOfWeek) const
{
    return dayOfWeek >= 1 && dayOfWeek <= 7 ? std::string(kDayNames[static_cast<size_t>(dayOfWeek - 1)], 3) : "";
}

std::string FixedLocaleFormats::LongDate(TDateTime value) const
{
    const DateParts d = DecodeDate(value);
    return std::string(kDayNames[static_cast<size_t>(DayOfWeek(value) - 1)]) + ", " + std::to_string(d.day) + ' ' +
           kMonthNames[static_cast<size_t>(d.month - 1)] + ' ' + std::to_string(d.year);
}

std::string FixedLocaleFormats::ShortDate(TDateTime value) const
{
    const DateParts d = DecodeDate(value);
    return TwoDigits(d.day) + '/' + TwoDigits(d.month) + '/' + std::to_string(d.year);
}

std::string FixedLocaleFormats::LongTime(TDateTime value) const
{
    return FormatTimeHHNNSS(value);
}

std::string FixedLocaleFormats::ShortTime(TDateTime value) const
{
    const TimeParts t = DecodeTime(value);
    return TwoDigits(t.hour) + ':' + TwoDigits(t.minute);
}
