#include "platform/posix/clocksetter_posix.h"

#include "platform/clocksetter.h"
#include "platform/filestore.h"
#include "platform/messagepump.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

extern char** environ;

namespace {

constexpr int kCapSysTime = 25;
// The daemon's policy may put a password prompt before the user; the call is given that long.
constexpr int kBusCallSeconds = 120;
constexpr auto kBusWaitLimit = std::chrono::seconds(kBusCallSeconds + 5);
constexpr int kPollMs = 50;
constexpr std::size_t kMaxStatusBytes = 64 * 1024;

bool SetDirectly(std::int64_t microseconds)
{
    timespec time{};
    time.tv_sec = static_cast<time_t>(microseconds / 1000000);
    time.tv_nsec = static_cast<long>(microseconds % 1000000) * 1000;
    return ::clock_settime(CLOCK_REALTIME, &time) == 0;
}

class PosixClockSetter final : public ClockSetter {
public:
    PosixClockSetter(MessagePump& pump, std::string busctl) : m_pump(pump), m_busctl(std::move(busctl)) {}

    bool SetSystemClock(TDateTime local) override
    {
        const auto microseconds = LocalToUnixMicroseconds(local, std::time(nullptr));
        if (!microseconds)
            return false;
        if (HasClockCapability(ReadSmallFile("/proc/self/status", kMaxStatusBytes).bytes) && SetDirectly(*microseconds))
            return true;
        return AskTimeDaemon(*microseconds);
    }

private:
    // systemd-timedated's SetTime(usec_utc, relative = false, interactive = true). The daemon
    // itself adds the time its policy check took, so the clock is not set late by a prompt.
    bool AskTimeDaemon(std::int64_t microseconds)
    {
        std::vector<std::string> args{m_busctl,
                                      "call",
                                      "--timeout=" + std::to_string(kBusCallSeconds),
                                      "org.freedesktop.timedate1",
                                      "/org/freedesktop/timedate1",
                                      "org.freedesktop.timedate1",
                                      "SetTime",
                                      "xbb",
                                      std::to_string(microseconds),
                                      "false",
                                      "true"};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (const int fd : {0, 1, 2})
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
        pid_t child = 0;
        const int spawned = ::posix_spawn(&child, m_busctl.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            return false;

        // The window stays live while the user answers the daemon's prompt.
        const auto giveUp = std::chrono::steady_clock::now() + kBusWaitLimit;
        for (;;) {
            int status = 0;
            const pid_t done = ::waitpid(child, &status, WNOHANG);
            if (done == child)
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (done < 0 && errno != EINTR)
                return false;
            if (std::chrono::steady_clock::now() >= giveUp) {
                ::kill(child, SIGTERM);
                ::waitpid(child, &status, 0);
                return false;
            }
            m_pump.HandleMessages(kPollMs);
        }
    }

    MessagePump& m_pump;
    std::string m_busctl;
};

} // namespace

bool HasClockCapability(std::string_view procStatus)
{
    constexpr std::string_view kKey = "CapEff:";
    std::size_t at = procStatus.find(kKey);
    while (at != std::string_view::npos && at != 0 && procStatus[at - 1] != '\n')
        at = procStatus.find(kKey, at + 1);
    if (at == std::string_view::npos)
        return false;
    std::string_view rest = procStatus.substr(at + kKey.size());
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    std::uint64_t mask = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), mask, 16);
    return error == std::errc{} && end != rest.data() && ((mask >> kCapSysTime) & 1) != 0;
}

std::optional<std::int64_t> LocalToUnixMicroseconds(TDateTime local, std::time_t near)
{
    const DateParts date = DecodeDate(local);
    const TimeParts time = DecodeTime(local);
    std::tm fields{};
    fields.tm_year = date.year - 1900;
    fields.tm_mon = date.month - 1;
    fields.tm_mday = date.day;
    fields.tm_hour = time.hour;
    fields.tm_min = time.minute;
    fields.tm_sec = time.second;

    // In the hour that repeats when daylight time ends, the same wall-clock time reads two ways; the
    // one nearer the clock as it is is meant, as a correction is seconds, not an hour.
    std::optional<std::time_t> chosen;
    for (const int isDaylight : {0, 1}) {
        std::tm reading = fields;
        reading.tm_isdst = isDaylight;
        errno = 0;
        const std::time_t seconds = std::mktime(&reading);
        if (seconds == static_cast<std::time_t>(-1) && errno != 0)
            continue;
        // A reading of the kind not in force then comes back moved by the difference.
        if (reading.tm_isdst != isDaylight || reading.tm_hour != fields.tm_hour || reading.tm_min != fields.tm_min)
            continue;
        if (!chosen ||
            std::llabs(static_cast<long long>(seconds - near)) < std::llabs(static_cast<long long>(*chosen - near)))
            chosen = seconds;
    }
    if (!chosen) {
        // A time in the hour skipped when daylight time begins, or a zone without the flag.
        std::tm reading = fields;
        reading.tm_isdst = -1;
        errno = 0;
        const std::time_t seconds = std::mktime(&reading);
        if (seconds == static_cast<std::time_t>(-1) && errno != 0)
            return std::nullopt;
        chosen = seconds;
    }
    return static_cast<std::int64_t>(*chosen) * 1000000 + static_cast<std::int64_t>(time.msec) * 1000;
}

std::unique_ptr<ClockSetter> MakePosixClockSetter(MessagePump& pump, std::string busctl)
{
    return std::make_unique<PosixClockSetter>(pump, std::move(busctl));
}

std::unique_ptr<ClockSetter> MakeSystemClockSetter(MessagePump& pump)
{
    return MakePosixClockSetter(pump, kBusctlPath);
}
