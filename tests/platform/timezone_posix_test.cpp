// The time zone as the C library's zone data gives it, for zones with and without daylight time.
#include "platform/posix/timezoneinfo_posix.h"
#include "support/casename.h"
#include "support/zonefortest.h"
#include "timesync/nettime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class FixedZone final : public TimeZoneSource {
public:
    explicit FixedZone(std::time_t at) : m_at(at) {}
    TimeZoneInformation Query() const override { return PosixTimeZoneInformation(m_at); }

private:
    std::time_t m_at;
};

constexpr std::time_t kJanuary2024 = 1705320000; // 15 January 2024 12:00 UTC
constexpr std::time_t kJuly2024 = 1721044800;    // 15 July 2024 12:00 UTC

struct ZoneCase {
    const char* zone;
    std::time_t at;
    TimeZoneState state;
    int bias;
    int daylightBias;
};

class PosixZoneOffsets : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(PosixZoneOffsets, ReadsStandardAndDaylightOffsets)
{
    const ZoneCase& c = GetParam();
    const ZoneForTest zone(c.zone);
    const TimeZoneInformation info = PosixTimeZoneInformation(c.at);
    EXPECT_EQ(info.state, c.state);
    EXPECT_EQ(info.bias, c.bias);
    EXPECT_EQ(info.standardBias, 0);
    EXPECT_EQ(info.daylightBias, c.daylightBias);
}

const ZoneCase kZoneCases[] = {
    {"Europe/London", kJanuary2024, TimeZoneState::Standard, 0, -60},
    {"Europe/London", kJuly2024, TimeZoneState::Daylight, 0, -60},
    {"America/New_York", kJuly2024, TimeZoneState::Daylight, 300, -60},
    {"Australia/Sydney", kJanuary2024, TimeZoneState::Daylight, -600, -60},    // southern summer
    {"Australia/Lord_Howe", kJanuary2024, TimeZoneState::Daylight, -630, -30}, // half an hour of daylight time
    {"UTC", kJuly2024, TimeZoneState::Unknown, 0, 0},
    {"Asia/Tokyo", kJuly2024, TimeZoneState::Unknown, -540, 0},
    {"Asia/Kolkata", kJanuary2024, TimeZoneState::Unknown, -330, 0},
    // A POSIX rule without daylight time.
    {"<-03>3", kJuly2024, TimeZoneState::Unknown, 180, 0},
};

INSTANTIATE_TEST_SUITE_P(PosixTimeZone, PosixZoneOffsets, ::testing::ValuesIn(kZoneCases), [](const auto& info) {
    return CaseName(std::string(info.param.zone) + (info.param.at == kJanuary2024 ? " January" : " July"));
});

TEST(PosixTimeZone, BiasIsUtcMinusLocalTime)
{
    // Whatever the split into base and daylight bias, the sum is the offset in force.
    for (const char* name : {"Europe/London", "America/New_York", "Australia/Lord_Howe", "Asia/Kolkata"}) {
        for (const std::time_t at : {kJanuary2024, kJuly2024}) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(at));
            const ZoneForTest zone(name);
            std::tm local{};
            ::localtime_r(&at, &local);
            EXPECT_DOUBLE_EQ(TimeZoneBias(FixedZone(at)), -local.tm_gmtoff / 60 / 1440.0);
        }
    }
}

} // namespace
