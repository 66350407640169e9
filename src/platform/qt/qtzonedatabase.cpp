#include "platform/qt/qtzonedatabase.h"

#include <QDateTime>
#include <cmath>

namespace {

constexpr double kUnixEpoch = 25569.0; // 1 January 1970 in days since 30 December 1899

} // namespace

std::optional<int> QtZoneDatabase::UtcOffsetSeconds(const std::string& zone, TDateTime utc) const
{
    // Far outside the years a date-time value can name, the milliseconds would not fit.
    if (!std::isfinite(utc) || std::abs(utc) > 3.0e6)
        return std::nullopt;
    auto found = m_zones.find(zone);
    if (found == m_zones.end())
        found = m_zones.emplace(zone, QTimeZone(QByteArray::fromStdString(zone))).first;
    const QTimeZone& timeZone = found->second;
    if (!timeZone.isValid())
        return std::nullopt;
    const auto msecs = static_cast<qint64>(std::llround((utc - kUnixEpoch) * static_cast<double>(kMSecsPerDay)));
    return timeZone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC));
}
