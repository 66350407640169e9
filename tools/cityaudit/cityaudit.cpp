// cityaudit: compares the built-in city table with the time-zone database of this system.
//
// For every city of the table it walks the 8760 hours of 2026 (UTC) and lists, as runs of hours, where
// the local time that the table's offset and daylight-saving rule give differs from the local time of
// the city's zone in the system's tzdata; then the total of such hours. It informs whoever edits the
// table: the table keeps one fixed offset and one of twelve rules per city, so some differences are
// expected. Usage: cityaudit (no arguments). Exit status 0 unless a city has no zone here.
#include "base/datetime.h"
#include "worldmap/citytable.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>

namespace {

constexpr int kYear = 2026;
constexpr int kHoursInYear = 365 * 24;

// Each city of the table and the zone of the time-zone database that keeps its clocks.
const std::map<std::string, const char*> kZones = {
    {"Amsterdam, Netherlands", "Europe/Amsterdam"},
    {"Adelaide, Australia", "Australia/Adelaide"},
    {"Almaty, Kazakhstan", "Asia/Almaty"},
    {"Ankara, Turkey", "Europe/Istanbul"},
    {"Anchorage, Alaska", "America/Anchorage"},
    {"Athens, Greece", "Europe/Athens"},
    {"Atlanta, Georgia", "America/New_York"},
    {"Austin, Texas", "America/Chicago"},
    {"Baltimore, Maryland", "America/New_York"},
    {"Baghdad, Iraq", "Asia/Baghdad"},
    {"Baku, Azerbaijan", "Asia/Baku"},
    {"Bangkok, Thailand", "Asia/Bangkok"},
    {"Barcelona, Spain", "Europe/Madrid"},
    {"Beijing, China", "Asia/Shanghai"},
    {"Berlin, Germany", "Europe/Berlin"},
    {"Bogota, Colombia", "America/Bogota"},
    {"Boston, Massachusetts", "America/New_York"},
    {"Boulder, Colorado", "America/Denver"},
    {"Bridgetown, Barbados", "America/Barbados"},
    {"Brisbane, Australia", "Australia/Brisbane"},
    {"Brussels, Belgium", "Europe/Brussels"},
    {"Buenos Aires, Argentina", "America/Argentina/Buenos_Aires"},
    {"Cairo, Egypt", "Africa/Cairo"},
    {"Canberra, Australia", "Australia/Sydney"},
    {"Cape Town, South Africa", "Africa/Johannesburg"},
    {"Caracas, Venezuela", "America/Caracas"},
    {"Charlotte, North Carolina", "America/New_York"},
    {"Chicago, Illinois", "America/Chicago"},
    {"Cincinnati, Ohio", "America/New_York"},
    {"Cleveland, Ohio", "America/New_York"},
    {"Copenhagen, Denmark", "Europe/Copenhagen"},
    {"Curacao, Netherland Antilles", "America/Curacao"},
    {"Dallas, Texas", "America/Chicago"},
    {"Denver, Colorado", "America/Denver"},
    {"Detroit, Michigan", "America/Detroit"},
    {"Dublin, Ireland", "Europe/Dublin"},
    {"Geneva, Switzerland", "Europe/Zurich"},
    {"Georgetown, Ascension Is.", "Atlantic/St_Helena"},
    {"Glasgow, Scotland", "Europe/London"},
    {"Halifax, Nova Scotia", "America/Halifax"},
    {"Helsinki, Finland", "Europe/Helsinki"},
    {"Hong Kong, Hong Kong", "Asia/Hong_Kong"},
    {"Honolulu, Hawaii", "Pacific/Honolulu"},
    {"Houston, Texas", "America/Chicago"},
    {"Indianapolis, Indiana", "America/Indiana/Indianapolis"},
    {"Istanbul, Turkey", "Europe/Istanbul"},
    {"Jakarta, Indonesia", "Asia/Jakarta"},
    {"Jamestown, St. Helena", "Atlantic/St_Helena"},
    {"Jeddah, Saudi Arabia", "Asia/Riyadh"},
    {"Jerusalem, Israel", "Asia/Jerusalem"},
    {"Johannesburg, South Africa", "Africa/Johannesburg"},
    {"Kabul, Afghanistan", "Asia/Kabul"},
    {"Kansas City, Missouri", "America/Chicago"},
    {"Karachi, Pakistan", "Asia/Karachi"},
    {"Kiev, Ukraine", "Europe/Kiev"},
    {"Kingston, Jamaica", "America/Jamaica"},
    {"Kuala Lumpur, Malaysia", "Asia/Kuala_Lumpur"},
    {"Kuwait City, Kuwait", "Asia/Kuwait"},
    {"Lima, Peru", "America/Lima"},
    {"Lisbon, Portugal", "Europe/Lisbon"},
    {"London, England", "Europe/London"},
    {"Los Angeles, California", "America/Los_Angeles"},
    {"Madrid, Spain", "Europe/Madrid"},
    {"Manila, Philippines", "Asia/Manila"},
    {"Melbourne, Australia", "Australia/Melbourne"},
    {"Mexico City, Mexico", "America/Mexico_City"},
    {"Miami, Florida", "America/New_York"},
    {"Milwaukee, Wisconsin", "America/Chicago"},
    {"Minneapolis, Minnesota", "America/Chicago"},
    {"Minsk, Russia", "Europe/Minsk"},
    {"Montevideo, Uruguay", "America/Montevideo"},
    {"Montreal, Canada", "America/Toronto"},
    {"Moscow, Russia", "Europe/Moscow"},
    {"Nairobi, Kenya", "Africa/Nairobi"},
    {"Nashville, Tennessee", "America/Chicago"},
    {"Nassau, Bahamas", "America/Nassau"},
    {"New Delhi, India", "Asia/Kolkata"},
    {"New York, New York", "America/New_York"},
    {"Novosibirsk, Russia", "Asia/Novosibirsk"},
    {"Omaha, Nebraska", "America/Chicago"},
    {"Orlando, Florida", "America/New_York"},
    {"Osaka, Japan", "Asia/Tokyo"},
    {"Oslo, Norway", "Europe/Oslo"},
    {"Panama City, Panama", "America/Panama"},
    {"Paris, France", "Europe/Paris"},
    {"Perth, Australia", "Australia/Perth"},
    {"Philadelphia, Pennsylvania", "America/New_York"},
    {"Phoenix, Arizona", "America/Phoenix"},
    {"Pittsburgh, Pennsylvania", "America/New_York"},
    {"Port of Spain, Trinidad", "America/Port_of_Spain"},
    {"Port Stanley, Falkland Is.", "Atlantic/Stanley"},
    {"Quebec, Canada", "America/Toronto"},
    {"Quito, Ecuador", "America/Guayaquil"},
    {"Reykjavik, Iceland", "Atlantic/Reykjavik"},
    {"Rio de Janeiro, Brazil", "America/Sao_Paulo"},
    {"Rome, Italy", "Europe/Rome"},
    {"Saint Louis, Missouri", "America/Chicago"},
    {"San Francisco, California", "America/Los_Angeles"},
    {"San Jose, Costa Rica", "America/Costa_Rica"},
    {"San Salvador, El Salvador", "America/El_Salvador"},
    {"Santiago, Chile", "America/Santiago"},
    {"Santo Domingo, Dominican Rep.", "America/Santo_Domingo"},
    {"Seattle, Washington", "America/Los_Angeles"},
    {"Seoul, Korea", "Asia/Seoul"},
    {"Singapore, Singapore", "Asia/Singapore"},
    {"St. John's, Newfoundland", "America/St_Johns"},
    {"St. Petersburg, Russia", "Europe/Moscow"},
    {"Stamford, Connecticut", "America/New_York"},
    {"Stockholm, Sweden", "Europe/Stockholm"},
    {"Sydney, Australia", "Australia/Sydney"},
    {"Taipei, Taiwan", "Asia/Taipei"},
    {"Tegucigalpa, Honduras", "America/Tegucigalpa"},
    {"Tehran, Iran", "Asia/Tehran"},
    {"Tel Aviv, Israel", "Asia/Jerusalem"},
    {"Tokyo, Japan", "Asia/Tokyo"},
    {"Toronto, Canada", "America/Toronto"},
    {"Tucson, Arizona", "America/Phoenix"},
    {"Vancouver, Canada", "America/Vancouver"},
    {"Vienna, Austria", "Europe/Vienna"},
    {"Vilnius, Lithuania", "Europe/Vilnius"},
    {"Vladivostok, Russia", "Asia/Vladivostok"},
    {"Washington D.C., USA", "America/New_York"},
    {"Wellington, New Zealand", "Pacific/Auckland"},
    {"Winnipeg, Canada", "America/Winnipeg"},
};

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

// Prints the runs of hours in which the table and the zone disagree; answers their number.
int AuditCity(const CityRow& row, const char* zone)
{
    ::setenv("TZ", zone, 1);
    ::tzset();
    const TMapCity city = MapCityOf(row);
    const TDateTime yearStart = EncodeDate(kYear, 1, 1);
    const auto epochOfYear = static_cast<std::time_t>(std::llround((yearStart - EncodeDate(1970, 1, 1)) * 86400));

    int differing = 0;
    int runStart = -1;
    long long runDifference = 0;
    auto closeRun = [&](int endHour) {
        if (runStart < 0)
            return;
        std::printf("    %s – %s UTC (%4d h): table %s against tzdata\n", Stamp(yearStart + runStart / 24.0).c_str(),
                    Stamp(yearStart + endHour / 24.0).c_str(), endHour - runStart + 1,
                    SignedHoursMinutes(runDifference).c_str());
        runStart = -1;
    };
    for (int hour = 0; hour < kHoursInYear; ++hour) {
        const TDateTime utc = yearStart + hour / 24.0;
        const TDateTime table = CityLocalTime(city, utc);
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

    long long total = 0;
    int citiesDiffering = 0;
    int cities = 0;
    int missing = 0;
    for (const std::string& text : BuiltInCityRows()) {
        const auto row = ParseCityRow(text);
        if (!row) {
            std::printf("not a city row: %s\n", text.c_str());
            continue;
        }
        ++cities;
        const auto zone = kZones.find(row->Key);
        if (zone == kZones.end() || !ZoneInstalled(zone->second)) {
            std::printf("%-30s no zone %s\n", row->Key.c_str(), zone == kZones.end() ? "known" : zone->second);
            ++missing;
            continue;
        }
        std::printf("%-30s %-31s %+5.1f rule %2d\n", row->Key.c_str(), zone->second, row->OffsetHours, row->DstRule);
        const int differing = AuditCity(*row, zone->second);
        std::printf("    %d h differ\n", differing);
        total += differing;
        citiesDiffering += differing > 0;
    }

    if (savedTz)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    std::printf("\nTotal: %lld of %lld city-hours of %d differ, in %d of %d cities", total,
                static_cast<long long>(cities - missing) * kHoursInYear, kYear, citiesDiffering, cities);
    if (missing)
        std::printf("; %d cities without a zone here", missing);
    std::printf(".\n");
    return missing ? 1 : 0;
}
