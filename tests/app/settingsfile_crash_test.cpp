// A writer killed at any moment must leave the settings file whole: either as it was before the
// write or as the write made it, never torn. Prints its seed; CHRONIVO_TEST_SEED repeats a run.
#include "app/utils.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kFillerLines = 300;

std::string Filler(int i)
{
    return "Filler " + std::to_string(i) + "=" + std::string(40, static_cast<char>('a' + i % 26));
}

// The file is whole when every filler line is there, in order, and "Counter" reads a number.
void ExpectWhole(const TempDir& dir, const std::string& ini, int kill)
{
    const std::string text = dir.Read("chronivo.ini");
    std::size_t pos = 0;
    for (int i = 0; i < kFillerLines; ++i) {
        pos = text.find(Filler(i), pos);
        ASSERT_NE(pos, std::string::npos) << "filler line " << i << " lost after kill " << kill;
    }
    const std::string counter = ReadIniString(ini, "Clock", "Counter", 32, "missing");
    ASSERT_FALSE(counter.empty());
    ASSERT_EQ(counter.find_first_not_of("0123456789"), std::string::npos)
        << "counter '" << counter << "' after kill " << kill;
}

TEST(SettingsFileCrash, KilledWriterLeavesOldOrNewFileWhole)
{
    const char* seedText = std::getenv("CHRONIVO_TEST_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10))
                                   : static_cast<unsigned>(std::random_device{}());
    std::cout << "seed " << seed << " (set CHRONIVO_TEST_SEED to repeat)\n";
    std::mt19937 random(seed);

    TempDir dir;
    const std::string ini = dir.File("chronivo.ini");
    std::string start = "[Clock]\nCounter=0\n[Fill]\n";
    for (int i = 0; i < kFillerLines; ++i)
        start += Filler(i) + "\n";
    dir.Write("chronivo.ini", start);

    for (int kill = 0; kill < 60; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 1;; ++n)
                WriteIniString(ini, "Clock", "Counter", std::to_string(n));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ExpectWhole(dir, ini, kill);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
