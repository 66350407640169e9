// The user's regional date and time formats, from the system locale.
#pragma once

#include "platform/localeformats.h"

class QtLocaleFormats final : public LocaleFormats {
public:
    std::string LongDate(TDateTime value) const override;
    std::string ShortDate(TDateTime value) const override;
    std::string LongTime(TDateTime value) const override;
    std::string ShortTime(TDateTime value) const override;
    std::string LongMonthName(int month) const override;
    std::string ShortDayName(int dayOfWeek) const override;
};

class QDateTime;
// The Qt date-time of a TDateTime (local time, to the millisecond).
QDateTime ToQDateTime(TDateTime value);
