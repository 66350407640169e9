#include "platform/qt/qtlocaleformats.h"

#include <QDateTime>
#include <QLocale>

QDateTime ToQDateTime(TDateTime value)
{
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    return QDateTime(QDate(d.year, d.month, d.day), QTime(t.hour, t.minute, t.second, t.msec));
}

std::string QtLocaleFormats::LongDate(TDateTime value) const
{
    return QLocale::system().toString(ToQDateTime(value).date(), QLocale::LongFormat).toStdString();
}

std::string QtLocaleFormats::ShortDate(TDateTime value) const
{
    return QLocale::system().toString(ToQDateTime(value).date(), QLocale::ShortFormat).toStdString();
}

std::string QtLocaleFormats::LongTime(TDateTime value) const
{
    return QLocale::system().toString(ToQDateTime(value).time(), QLocale::LongFormat).toStdString();
}

std::string QtLocaleFormats::ShortTime(TDateTime value) const
{
    return QLocale::system().toString(ToQDateTime(value).time(), QLocale::ShortFormat).toStdString();
}
