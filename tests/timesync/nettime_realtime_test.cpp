// The time query in real time: how long it takes against servers that answer at once, never, or
// in part, and the answer of an independent Time server (xinetd's built-in one). These tests wait
// seconds; the waits run side by side.
#include "platform/messagepump.h"
#include "platform/tickcounter.h"
#include "support/fake_timesync.h"
#include "support/tempdir.h"
#include "support/timeserver.h"
#include "timesync/nettime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <future>
#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

using Seconds = std::chrono::duration<double>;

struct Measured {
    TDateTime result = 0.0;
    double seconds = 0.0;
    double cpuSeconds = 0.0;
};

double ThreadCpuSeconds()
{
#ifdef _WIN32
    FILETIME created{}, ended{}, kernel{}, user{};
    ::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    timespec cpu{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    return static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
#endif
}

// One query with the system's sockets and tick counter, timed, on the calling thread.
Measured TimedQuery(const std::string& service)
{
    const auto sockets = MakeSystemSocketLayer();
    const auto ticks = MakeSystemTickCounter();
    const auto pump = MakeSystemMessagePump();
    FakeTimeZone zone;
    NetTime net({*sockets, *ticks, *pump, zone});
    const double cpuStart = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    Measured measured;
    measured.result = net.NetworkTime("127.0.0.1", service);
    measured.seconds = Seconds(std::chrono::steady_clock::now() - start).count();
    measured.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    return measured;
}

TEST(QueryDuration, StaysWithinItsBoundsAgainstEveryKindOfServer)
{
    const std::vector<std::uint8_t> reply{0xC0, 0x29, 0xEB, 0xC0};
    struct DurationCase {
        const char* name;
        ServerScript script;
        bool succeeds;
        double minSeconds;
        double maxSeconds;
    };
    std::vector<DurationCase> cases{
        // The close's 1000 ms and the stop's two 100 ms rounds (the tick counts whole milliseconds,
        // so a wait may end a fraction of one early).
        {"prompt", PromptReply(reply), true, 1.19, 1.6},
        // The first byte's 4000 ms, then the same.
        {"silent", {{}, ServerEnd::KeepOpen}, false, 5.19, 5.7},
        {"three bytes then close", PromptReply({0xC0, 0x29, 0xEB}), false, 5.19, 5.7},
        // The drain is bounded: at most its 500 ms on top.
        {"streams without end", {{ServerStep{0, reply}}, ServerEnd::Stream}, true, 1.19, 2.2},
        {"each byte late but in time",
         {{ServerStep{0, {0xC0}}, ServerStep{900, {0x29}}, ServerStep{900, {0xEB}}, ServerStep{900, {0xC0}}},
          ServerEnd::KeepOpen},
         true,
         3.89,
         4.4},
    };
    std::vector<std::unique_ptr<ScriptedTimeServer>> servers;
    std::vector<std::future<Measured>> runs;
    for (const DurationCase& c : cases) {
        servers.push_back(std::make_unique<ScriptedTimeServer>(c.script));
        runs.push_back(std::async(std::launch::async, TimedQuery, servers.back()->Service()));
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const DurationCase& c = cases[i];
        SCOPED_TRACE(c.name);
        const Measured m = runs[i].get();
        std::printf("%-28s %.3f s, processor %.3f s\n", c.name, m.seconds, m.cpuSeconds);
        EXPECT_EQ(m.result != 0.0, c.succeeds);
        if (c.succeeds) {
            EXPECT_NEAR(m.result, 37316.5 + 0.5 / kSecondsPerDay, 1e-9); // 1 March 2002 12:00:00.5
        }
        EXPECT_GE(m.seconds, c.minSeconds);
        EXPECT_LE(m.seconds, c.maxSeconds);
        // Waiting costs next to no processor time: nothing spins.
        EXPECT_LT(m.cpuSeconds, 0.3);
    }
}

#ifndef _WIN32
// xinetd's built-in Time service on 127.0.0.1, for as long as the test runs.
class XinetdTimeServer {
public:
    XinetdTimeServer()
    {
        for (std::uint16_t port : {std::uint16_t{3737}, UnusedPort()}) {
            if (Start(port))
                return;
        }
    }
    ~XinetdTimeServer()
    {
        Stop();
    }
    bool Running() const { return m_pid > 0; }
    std::uint16_t Port() const { return m_port; }

private:
    bool Start(std::uint16_t port)
    {
        const passwd* user = ::getpwuid(::getuid());
        const std::string config = (m_folder / "time.conf").string();
        std::ofstream(config) << "defaults\n{\n}\nservice time\n{\n"
                              << "    type        = INTERNAL UNLISTED\n    id          = time-stream\n"
                              << "    socket_type = stream\n    protocol    = tcp\n    wait        = no\n"
                              << "    user        = " << (user ? user->pw_name : "root") << "\n"
                              << "    bind        = 127.0.0.1\n    port        = " << port << "\n}\n";
        const std::string pidFile = (m_folder / "xinetd.pid").string();
        std::vector<std::string> args{"xinetd", "-f", config, "-pidfile", pidFile, "-dontfork"};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::posix_spawnp(&m_pid, "xinetd", nullptr, nullptr, argv.data(), environ) != 0) {
            m_pid = 0;
            return false;
        }
        m_port = port;
        // Ready once it accepts; it gives up on a port it cannot bind.
        for (int attempt = 0; attempt < 100; ++attempt) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = 0;
                return false;
            }
            if (AcceptsConnections(port))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        Stop();
        return false;
    }
    void Stop()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = 0;
    }

    TempDir m_temp;
    std::filesystem::path m_folder = m_temp.Path();
    pid_t m_pid = 0;
    std::uint16_t m_port = 0;
};

bool OnPath(const char* program)
{
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The local time now, as a date-time.
TDateTime LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return static_cast<double>(now + local.tm_gmtoff) / kSecondsPerDay + 25569.0; // 25569: 1 January 1970
}

TEST(IndependentTimeServer, AnswersWithinTwoSecondsOfTheSystemClock)
{
    if (!OnPath("xinetd"))
        GTEST_SKIP() << "xinetd is not installed, so there is no independent Time server to ask";
    XinetdTimeServer server;
    ASSERT_TRUE(server.Running()) << "xinetd did not start its time service";

    const auto sockets = MakeSystemSocketLayer();
    const auto ticks = MakeSystemTickCounter();
    const auto zone = MakeSystemTimeZoneSource();
    const auto pump = MakeSystemMessagePump();
    NetTime net({*sockets, *ticks, *pump, *zone});
    // The server answers at once, in whole seconds; the query then spends 1.2 s closing, so the answer is
    // compared with the clock as it was asked, not as it is when the query returns.
    const TDateTime asked = LocalNow();
    const TDateTime answer = net.NetworkTime("127.0.0.1", std::to_string(server.Port()));
    ASSERT_NE(answer, 0.0);
    EXPECT_NEAR(answer, asked, 2.0 / kSecondsPerDay);

    if (OnPath("rdate")) {
        // The same server, read by an independent client.
        const std::string command = "rdate -p -o " + std::to_string(server.Port()) + " 127.0.0.1 >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
}
#endif

} // namespace
