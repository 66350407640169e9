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

namespace {

// The format without its time-zone fields ("t", "tt", ...), and the blanks before them; quoted
// literal text is kept as it is.
QString WithoutZone(const QString& format)
{
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't') {
            while (result.endsWith(u' '))
                result.chop(1);
            continue;
        }
        result += c;
    }
    return result.trimmed();
}

} // namespace

std::string QtLocaleFormats::ShortDate(TDateTime value) const
{
    const QLocale locale = QLocale::system();
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // Some locales (C among them) name the month in their short date; a short date is all numbers.
    if (format.contains(QStringLiteral("MMM")))
        format = QStringLiteral("yyyy-MM-dd");
    return locale.toString(ToQDateTime(value).date(), format).toStdString();
}

std::string QtLocaleFormats::LongTime(TDateTime value) const
{
    // The toolkit's long time ends with the zone's name; the user's long time is the clock time alone.
    const QLocale locale = QLocale::system();
    const QString format = WithoutZone(locale.timeFormat(QLocale::LongFormat));
    return locale.toString(ToQDateTime(value).time(), format).toStdString();
}

std::string QtLocaleFormats::ShortTime(TDateTime value) const
{
    const QLocale locale = QLocale::system();
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    const QTime time = ToQDateTime(value).time();
    const std::lock_guard lock(m_shortTimesLock);
    if (format != m_shortTimeFormat) {
        // Some locales (C among them) give seconds in their short format; the short time never shows them.
        static const QRegularExpression seconds(QStringLiteral("[.:]?s{1,2}"));
        m_shortTimeFormat = format;
        m_shortTimeFields = QString(format).remove(seconds);
        m_shortTimes.clear();
    }
    // A format with milliseconds ("z") is written afresh each time.
    if (m_shortTimeFields.contains(u'z'))
        return locale.toString(time, m_shortTimeFields).toStdString();
    const int minute = time.hour() * 60 + time.minute();
    if (const auto kept = m_shortTimes.find(minute); kept != m_shortTimes.end())
        return kept->second;
    return m_shortTimes.emplace(minute, locale.toString(time, m_shortTimeFields).toStdString()).first->second;
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
