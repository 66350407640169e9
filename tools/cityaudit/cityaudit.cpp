// cityaudit: compares the cities' local times, as the program shows them in both of its modes, with the
// time-zone database of this system.
//
// For every city of the built-in table it walks every hour of 2026 (UTC) and lists, as runs of hours,
// where the local time that the table's offset and daylight-saving rule give differs from the local time
// of the city's zone as the C library reads it from tzdata; then the same for the program's time-zone
// mode (the zones through the platform's database, as the map labels take them), and the totals of both
// and of the mode a user gets without choosing.
// It informs whoever edits the table: the table keeps one fixed offset and one of twelve rules per city,
// so some differences are expected there; in the time-zone mode there should be none. Usage: cityaudit
// (no arguments). Exit status 0 unless a city has no zone here or the time-zone mode differs.
#include "app/settingkeys.h"
#include "base/datetime.h"
#include "platform/qt/qtzonedatabase.h"
#include "worldmap/citytable.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

constexpr int kYear = 2026;
// A leap year's last day counts too.
const int kHoursInYear = (IsLeapYear(kYear) ? 366 : 365) * 24;

bool ZoneInstalled(const std::string& zone)
{
    const char* folder = std::getenv("TZDIR");
    std::error_code error;
    return std::filesystem::is_regular_file(std::string(folder ? folder : "/usr/share/zoneinfo") + "/" + zone, error);
}

// The zone's local time at the given second of the Unix epoch; TZ names the zone already.
TDateTime ZoneLocalTime(std::time_t when)
{
    std::tm parts{};
    localtime_r(&when, &parts);
    return EncodeDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday) +
           EncodeTime(parts.tm_hour, parts.tm_min, parts.tm_sec, 0);
}

std::string TwoDigits(long long n)
{
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// "2026-03-29 01:00"
std::string Stamp(TDateTime utc)
{
    const DateParts d = DecodeDate(utc);
    return std::to_string(d.year) + '-' + TwoDigits(d.month) + '-' + TwoDigits(d.day) + ' ' +
           FormatTimeHHNNSS(utc).substr(0, 5);
}

// "+1:00", "-0:30"
std::string SignedHoursMinutes(long long minutes)
{
    return (minutes < 0 ? "-" : "+") + std::to_string(std::llabs(minutes) / 60) + ':' +
           TwoDigits(std::llabs(minutes) % 60);
}

// Prints the runs of hours in which the city's time, taken with zones (or from the table without), and the C
// library's time of its zone disagree; answers their number. TZ names the zone already.
int AuditCity(const TMapCity& city, const ZoneDatabase* zones)
{
    const TDateTime yearStart = EncodeDate(kYear, 1, 1);
    const auto epochOfYear = static_cast<std::time_t>(std::llround((yearStart - EncodeDate(1970, 1, 1)) * 86400));

    int differing = 0;
    int runStart = -1;
    long long runDifference = 0;
    auto closeRun = [&](int endHour) {
        if (runStart < 0)
            return;
        std::printf("    %s – %s UTC (%4d h): %s %s against tzdata\n", Stamp(yearStart + runStart / 24.0).c_str(),
                    Stamp(yearStart + endHour / 24.0).c_str(), endHour - runStart + 1, zones ? "zones" : "table",
                    SignedHoursMinutes(runDifference).c_str());
        runStart = -1;
    };
    for (int hour = 0; hour < kHoursInYear; ++hour) {
        const TDateTime utc = yearStart + hour / 24.0;
        const TDateTime table = CityLocalTime(city, utc, zones);
        const TDateTime zoneTime = ZoneLocalTime(epochOfYear + static_cast<std::time_t>(hour) * 3600);
        const long long difference = std::llround((table - zoneTime) * 24 * 60);
        if (runStart >= 0 && difference != runDifference)
            closeRun(hour - 1);
        if (difference != 0) {
            ++differing;
            if (runStart < 0) {
                runStart = hour;
                runDifference = difference;
            }
        }
    }
    closeRun(kHoursInYear - 1);
    return differing;
}

} // namespace

int main()
{
    const char* savedTz = std::getenv("TZ");
    const std::string saved = savedTz ? savedTz : "";
    const QtZoneDatabase zones;

    long long totals[2] = {0, 0}; // the table, the zones
    int citiesDiffering[2] = {0, 0};
    int cities = 0;
    int missing = 0;
    for (const std::string& text : BuiltInCityRows()) {
        const auto row = ParseCityRow(text);
        if (!row) {
            std::printf("not a city row: %s\n", text.c_str());
            continue;
        }
        ++cities;
        const TMapCity city = MapCityOf(*row);
        if (city.Zone.empty() || !ZoneInstalled(city.Zone)) {
            std::printf("%-30s no zone %s\n", row->Key.c_str(), city.Zone.empty() ? "known" : city.Zone.c_str());
            ++missing;
            continue;
        }
        std::printf("%-30s %-31s %+5.1f rule %2d\n", row->Key.c_str(), city.Zone.c_str(), row->OffsetHours,
                    row->DstRule);
        ::setenv("TZ", city.Zone.c_str(), 1);
        ::tzset();
        const int differing[2] = {AuditCity(city, nullptr), AuditCity(city, &zones)};
        std::printf("    table %d h, zones %d h differ\n", differing[0], differing[1]);
        for (int mode = 0; mode < 2; ++mode) {
            totals[mode] += differing[mode];
            citiesDiffering[mode] += differing[mode] > 0;
        }
    }

    if (savedTz)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    const long long cityHours = static_cast<long long>(cities - missing) * kHoursInYear;
    std::printf("\n");
    const char* modes[2] = {"table", "zones"};
    for (int mode = 0; mode < 2; ++mode)
        std::printf("Total, %s: %lld of %lld city-hours of %d differ, in %d of %d cities.\n", modes[mode], totals[mode],
                    cityHours, kYear, citiesDiffering[mode], cities);
    // What a user sees who never chose: the mode of the "Time zones" key's default.
    const int byDefault = settings_file::kTimeZones.fallback ? 1 : 0;
    std::printf("Total, default (%s): %lld of %lld city-hours of %d differ.\n", modes[byDefault], totals[byDefault],
                cityHours, kYear);
    if (missing)
        std::printf("%d cities without a zone here.\n", missing);
    return missing || totals[1] ? 1 : 0;
}
