#include "platform/qt/qtlocaleformats.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

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
    // Some locales (C among them) give seconds in their short format; the short time never shows them.
    static const QRegularExpression seconds(QStringLiteral("[.:]?s{1,2}"));
    const QLocale locale = QLocale::system();
    const QString format = locale.timeFormat(QLocale::ShortFormat).remove(seconds);
    return locale.toString(ToQDateTime(value).time(), format).toStdString();
}

std::string QtLocaleFormats::LongMonthName(int month) const
{
    // The stand-alone form: a caption names the month on its own, not inside a date.
    const QString name = QLocale::system().standaloneMonthName(month, QLocale::LongFormat);
    return name.isEmpty() ? LocaleFormats::LongMonthName(month) : name.toStdString();
}

std::string QtLocaleFormats::ShortDayName(int dayOfWeek) const
{
    if (dayOfWeek < 1 || dayOfWeek > 7)
        return {};
    // Qt counts Monday = 1 … Sunday = 7.
    const int qtDay = dayOfWeek == 1 ? 7 : dayOfWeek - 1;
    const QString name = QLocale::system().standaloneDayName(qtDay, QLocale::ShortFormat);
    return name.isEmpty() ? LocaleFormats::ShortDayName(dayOfWeek) : name.toStdString();
}
