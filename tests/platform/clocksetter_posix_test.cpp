// The POSIX clock setter: when it may set the clock itself, the time it asks for, and (in a child
// process without the privilege, with a stand-in for busctl) how it asks the time daemon. No test
// here can set the machine's clock: the child refuses to run with the privilege.
#include "platform/posix/clocksetter_posix.h"
#include "support/tempdir.h"
#include "support/zonefortest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#ifndef CLOCKSETTER_PROBE
#error "CLOCKSETTER_PROBE must name the probe program"
#endif

namespace {

TEST(PosixClockSetter, ReadsTheClockCapabilityFromTheEffectiveSet)
{
    struct CapabilityCase {
        const char* status;
        bool may;
    };
    for (const CapabilityCase& c : {
             CapabilityCase{"Name:\tchronivo\nCapInh:\t0\nCapPrm:\t000001fffeffffff\nCapEff:\t000001fffeffffff\n",
                            true},
             {"CapEff:\t0000000002000000\n", true},                             // CAP_SYS_TIME alone
             {"CapPrm:\t0000000002000000\nCapEff:\t0000000000000000\n", false}, // permitted, not effective
             {"Name:\tchronivo\nCapEff:\t00000000fdffffff\n", false},           // everything else
             {"Name:\tchronivo\n", false},
         }) {
        SCOPED_TRACE(c.status);
        EXPECT_EQ(HasClockCapability(c.status), c.may);
    }
}

TEST(PosixClockSetter, ConvertsLocalTimeByTheZoneInForceThen)
{
    const ZoneForTest london("Europe/London");
    const std::time_t near = 1700000000;
    // 15 January 2024 12:00:00.250 is GMT; 15 July 2024 13:00 is BST, 12:00 UTC.
    EXPECT_EQ(LocalToUnixMicroseconds(45306.0 + (12 * 3600 + 0.25) / 86400, near), 1705320000250000);
    EXPECT_EQ(LocalToUnixMicroseconds(45488.0 + 13.0 / 24, near), 1721044800000000);
    // 27 October 2024 01:30 comes twice: at 00:30 UTC (BST) and at 01:30 UTC (GMT); the one nearer
    // the clock as it is is meant.
    const TDateTime repeated = 45592.0 + 1.5 / 24;
    const std::time_t bst = 1729989000;
    EXPECT_EQ(LocalToUnixMicroseconds(repeated, bst + 60), bst * 1000000LL);
    EXPECT_EQ(LocalToUnixMicroseconds(repeated, bst + 3600 - 60), (bst + 3600) * 1000000LL);
}

// Runs the probe without the clock privilege, with PATH holding only folder, given the stand-in busctl
// or the system's.
class UnprivilegedProbe : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() == 0 && std::system("command -v setpriv >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "running as root without setpriv: no way to drop the clock privilege";
        m_folder = m_temp.Path();
        std::filesystem::create_directories(m_folder / "bin");
        std::filesystem::copy_file(CLOCKSETTER_PROBE, m_folder / "probe");
        std::filesystem::permissions(m_folder, std::filesystem::perms::all); // the stand-in writes here
        std::filesystem::permissions(m_folder / "bin", std::filesystem::perms::all);
    }

    void StandInBusctl(int exitStatus)
    {
        const std::filesystem::path busctl = m_folder / "bin" / "busctl";
        std::ofstream(busctl) << "#!/bin/sh\nprintf '%s\\n' \"$*\" > '" << (m_folder / "args").string() << "'\nexit "
                              << exitStatus << "\n";
        std::filesystem::permissions(busctl, std::filesystem::perms::all);
    }
    int RunProbe(bool standIn = true)
    {
        const std::string drop =
            ::geteuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all " : "";
        const std::string command =
            drop + "env PATH=" + (m_folder / "bin").string() + " " + (m_folder / "probe").string() +
                                    (standIn ? " " + (m_folder / "bin" / "busctl").string() : std::string()) +
                                    " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Args() const
    {
        std::ifstream file(m_folder / "args");
        std::string line;
        std::getline(file, line);
        return line;
    }

    TempDir m_temp;
    std::filesystem::path m_folder;
};

TEST_F(UnprivilegedProbe, AsksTheTimeDaemonAndReportsItsAnswer)
{
    StandInBusctl(0);
    ASSERT_EQ(RunProbe(), 1) << "3 means the probe still held the clock privilege";
    const std::string args = Args();
    const std::string prefix = "call --timeout=120 org.freedesktop.timedate1 /org/freedesktop/timedate1 "
                               "org.freedesktop.timedate1 SetTime xbb ";
    ASSERT_EQ(args.rfind(prefix, 0), 0u) << args;
    const std::string rest = args.substr(prefix.size());
    EXPECT_TRUE(rest.ends_with(" false true")) << rest;
    // Microseconds since 1970, UTC: the time it was when the probe ran.
    const long long asked = std::stoll(rest);
    const long long now = static_cast<long long>(std::time(nullptr)) * 1000000;
    EXPECT_NEAR(static_cast<double>(asked), static_cast<double>(now), 10e6);

    StandInBusctl(1);
    EXPECT_EQ(RunProbe(), 0);
}

TEST_F(UnprivilegedProbe, AnswersFalseWithoutTheDaemon)
{
    EXPECT_EQ(RunProbe(), 0); // no busctl at the path given
}

TEST_F(UnprivilegedProbe, NeverLooksBusctlUpThroughPath)
{
    StandInBusctl(0);
    RunProbe(false);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "args"));
}

} // namespace
