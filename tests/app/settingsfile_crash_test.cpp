// A writer killed at any moment must leave the settings file whole: either as it was before the
// write or as the write made it, never torn. Prints its seed; CHRONIVO_TEST_SEED repeats a run.
#include "app/utils.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <grp.h>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

std::string Filler(int i)
{
    return "Filler " + std::to_string(i) + "=" + std::string(40, static_cast<char>('a' + i % 26));
}

std::string Fillers(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += Filler(i) + "\n";
    return text;
}

std::string FileWith(const std::string& counter, const std::string& fillers)
{
    return "[Clock]\nCounter=" + counter + "\n[Fill]\n" + fillers;
}

// The writer's values alternate in length, so that a file rewritten in place would have to shrink
// every other save, and a kill between the write and the shrink would leave a tail behind.
std::string CounterValue(int n)
{
    return n % 2 == 0 ? std::to_string(n) : std::to_string(n) + "000000000";
}

// The file is whole when it is exactly the start with some counter, and the counter reads a number.
void ExpectWhole(const TempDir& dir, const std::string& ini, const std::string& fillers, int kill)
{
    const std::string counter = ReadIniString(ini, "Clock", "Counter", 32, "missing");
    ASSERT_FALSE(counter.empty());
    ASSERT_EQ(counter.find_first_not_of("0123456789"), std::string::npos)
        << "counter '" << counter << "' after kill " << kill;
    ASSERT_TRUE(dir.Read("chronivo.ini") == FileWith(counter, fillers)) << "torn after kill " << kill;
}

struct CrashCase {
    const char* name;
    bool foreignGroup; // the file's group is one the writer is not in (root's); needs root to set up
    int kills;
    int longestWaitUs; // how long after the start a kill may come
    int fillerLines;   // a large file makes a kill in the middle of writing it likely
};

class SettingsFileCrash : public ::testing::TestWithParam<CrashCase> {};

TEST_P(SettingsFileCrash, KilledWriterLeavesOldOrNewFileWhole)
{
    const CrashCase& crash = GetParam();
    if (crash.foreignGroup && ::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file a group the writer is not in";
    const char* seedText = std::getenv("CHRONIVO_TEST_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10))
                                   : static_cast<unsigned>(std::random_device{}());
    std::cout << "seed " << seed << " (set CHRONIVO_TEST_SEED to repeat)\n";
    std::mt19937 random(seed);

    TempDir dir;
    const std::string ini = dir.File("chronivo.ini");
    const std::string fillers = Fillers(crash.fillerLines);
    dir.Write("chronivo.ini", FileWith("0", fillers));
    if (crash.foreignGroup)
        ::chown(dir.Path().c_str(), kNobody, kNobody);

    for (int kill = 0; kill < crash.kills; ++kill) {
        // Each round's first save meets the foreign group again: a save that keeps the file whole
        // gives it the writer's group.
        if (crash.foreignGroup) {
            ::chown(ini.c_str(), kNobody, 0);
            ::chmod(ini.c_str(), 0644);
        }
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (crash.foreignGroup && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
                ::_exit(2);
            for (int n = 1;; ++n)
                WriteIniString(ini, "Clock", "Counter", CounterValue(n));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % crash.longestWaitUs));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ExpectWhole(dir, ini, fillers, kill);
        // The temporaries kills leave are removed by a save a minute later; here they would pile up.
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            if (entry.path().extension() == ".tmp")
                std::filesystem::remove(entry.path());
        if (HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Groups, SettingsFileCrash,
                         ::testing::Values(CrashCase{"TheUsers", false, 60, 20000, 300},
                                           CrashCase{"NotTheUsers", true, 1000, 10000, 10000}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
