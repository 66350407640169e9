#include "platform/localeformats.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<const char*, 7> kDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonthNames{"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};

} // namespace

std::string FormatShortDateLongTime(TDateTime value, const LocaleFormats& formats)
{
    const TimeParts time = DecodeTime(value);
    if (time.hour == 0 && time.minute == 0 && time.second == 0)
        return formats.ShortDate(value);
    return formats.ShortDate(value) + ' ' + formats.LongTime(value);
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
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%02d/%02d/%d", d.day, d.month, d.year);
    return text.data();
}

std::string FixedLocaleFormats::LongTime(TDateTime value) const
{
    return FormatTimeHHNNSS(value);
}

std::string FixedLocaleFormats::ShortTime(TDateTime value) const
{
    // Every map label asks for one, so it is put together in place.
    const TimeParts t = DecodeTime(value);
    const char text[] = {static_cast<char>('0' + t.hour / 10 % 10), static_cast<char>('0' + t.hour % 10), ':',
                         static_cast<char>('0' + t.minute / 10 % 10), static_cast<char>('0' + t.minute % 10)};
    return std::string(text, sizeof text);
}

std::string LocaleFormats::LongMonthName(int month) const
{
    return month >= 1 && month <= 12 ? kMonthNames[static_cast<size_t>(month - 1)] : "";
}

std::string LocaleFormats::ShortDayName(int dayOfWeek) const
{
    return dayOfWeek >= 1 && dayOfWeek <= 7 ? std::string(kDayNames[static_cast<size_t>(dayOfWeek - 1)], 3) : "";
}
