// The settings file read and the clock tick's decision, each beside a baseline measured in the same
// run: a bare read of the same file, and a bare read of the system clock.
#include "app/clocktick.h"
#include "app/utils.h"
#include "platform/localclock.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string HundredKeyFile()
{
    static const std::string path = [] {
        std::string name = "/tmp/chronivo-bench-XXXXXX";
        const int fd = ::mkstemp(name.data());
        std::string text;
        for (int section = 0; section < 10; ++section) {
            text += "[Section " + std::to_string(section) + "]\r\n";
            for (int key = 0; key < 10; ++key)
                text += "Key " + std::to_string(key) + "=value of key " + std::to_string(section * 10 + key) + "\r\n";
        }
        [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
        ::close(fd);
        return name;
    }();
    return path;
}

// Baseline: open, read and close the file, as every settings read must.
void BM_BaselineReadWholeFile(benchmark::State& state)
{
    const std::string path = HundredKeyFile();
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(::read(fd, buffer.data(), buffer.size()));
        ::close(fd);
    }
}
BENCHMARK(BM_BaselineReadWholeFile);

// The last key of the last section: the whole file is scanned.
void BM_ReadIniStringLastOf100Keys(benchmark::State& state)
{
    const std::string path = HundredKeyFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadIniString(path, "section 9", "key 9", 64, "missing"));
}
BENCHMARK(BM_ReadIniStringLastOf100Keys);

// Baseline: reading the clock, which every tick does.
void BM_BaselineClockNow(benchmark::State& state)
{
    const auto clock = MakeSystemLocalClock();
    for (auto _ : state)
        benchmark::DoNotOptimize(clock->Now());
}
BENCHMARK(BM_BaselineClockNow);

// The common tick: the displayed second has not changed, so the tick ends early.
void BM_TickSameSecond(benchmark::State& state)
{
    const auto clock = MakeSystemLocalClock();
    const FixedLocaleFormats formats;
    MainState main;
    TickTexts texts;
    const TDateTime now = clock->Now();
    BeginTick(main, now, formats, texts);
    for (auto _ : state) {
        benchmark::DoNotOptimize(BeginTick(main, now, formats, texts));
        benchmark::DoNotOptimize(
            AutomaticUpdateDue(main.UpdateType, main.TickTime, main.LastUpdate, texts.seconds, nullptr));
    }
}
BENCHMARK(BM_TickSameSecond);

// A tick in a new second: texts, title and the redraw and update decisions.
void BM_TickNewSecond(benchmark::State& state)
{
    const FixedLocaleFormats formats;
    MainState main;
    TickTexts texts;
    TDateTime now = EncodeDate(2026, 12, 7);
    for (auto _ : state) {
        now += 1.0 / kSecondsPerDay;
        benchmark::DoNotOptimize(BeginTick(main, now, formats, texts));
        benchmark::DoNotOptimize(TakeMapRedraw(main, texts.seconds, false));
        benchmark::DoNotOptimize(
            AutomaticUpdateDue(main.UpdateType, main.TickTime, main.LastUpdate, texts.seconds, nullptr));
    }
}
BENCHMARK(BM_TickNewSecond);

} // namespace
