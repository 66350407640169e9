// Platform service: the user's regional date and time formats, and the "c" format built from them.
// The Qt program asks the system locale (platform/qt/qtlocaleformats.h); FixedLocaleFormats is the
// fixed English set for tools, tests and machines without a locale service.
#pragma once

#include "base/datetime.h"

#include <string>

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
