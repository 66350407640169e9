// The user's regional date and time formats, from the system locale.
#pragma once

#include "platform/localeformats.h"

#include <QString>
#include <mutex>
#include <string>
#include <unordered_map>

class QtLocaleFormats final : public LocaleFormats {
public:
    std::string LongDate(TDateTime value) const override;
    std::string ShortDate(TDateTime value) const override;
    std::string LongTime(TDateTime value) const override;
    std::string ShortTime(TDateTime value) const override;
    std::string LongMonthName(int month) const override;
    std::string ShortDayName(int dayOfWeek) const override;

private:
    // The map writes each city's short time every minute: the texts are kept by minute of the day, for
    // as long as the locale's short format stays the same.
    mutable std::mutex m_shortTimesLock;
    mutable QString m_shortTimeFormat; // the locale's, as it was when the texts were kept
    mutable QString m_shortTimeFields; // the same without seconds
    mutable std::unordered_map<int, std::string> m_shortTimes;
};

class QDateTime;
// The Qt date-time of a TDateTime (local time, to the millisecond).
QDateTime ToQDateTime(TDateTime value);
