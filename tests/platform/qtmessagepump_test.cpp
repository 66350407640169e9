// The window stays live while a query waits: with the Qt message pump, timer ticks and repaints go
// on through the reads, the close and the stop, and the waits do not spin.
#include "platform/qt/qtmessagepump.h"
#include "platform/qt/qtworker.h"
#include "platform/tickcounter.h"
#include "support/fake_timesync.h"
#include "support/timeserver.h"
#include "timesync/nettime.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <ctime>
#include <memory>
#include <thread>

namespace {

class CountingWidget final : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* /*event*/) override { ++paints; }
};

double ProcessCpuSeconds()
{
    timespec cpu{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    return static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
}

// The application lives for the test program's run and goes before static destruction begins.
class QtApplicationEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        m_application = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_application.reset(); }

private:
    int m_argc = 1;
    char m_name[19] = "qtmessagepump_test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] const auto* const kQtApplication = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

using QtPumpTest = ::testing::Test;

TEST_F(QtPumpTest, TicksAndRepaintsGoOnThroughAQuery)
{
    CountingWidget window;
    window.resize(100, 100);
    window.show();
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (ticks++ > 0)
            longestGap = std::max(longestGap, sinceTick.elapsed());
        sinceTick.start();
        window.update();
    });
    timer.start(20);

    // The reply comes slowly, so the reads wait too.
    ScriptedTimeServer server(
        {{ServerStep{0, {0xC0}}, ServerStep{300, {0x29}}, ServerStep{300, {0xEB}}, ServerStep{300, {0xC0}}},
         ServerEnd::Close});
    const auto sockets = MakeSystemSocketLayer();
    const auto clock = MakeSystemTickCounter();
    QtMessagePump pump;
    FakeTimeZone zone;
    NetTime net({*sockets, *clock, pump, zone});

    QElapsedTimer query;
    query.start();
    const double cpuStart = ProcessCpuSeconds();
    EXPECT_NEAR(net.NetworkTime("127.0.0.1", server.Service()), 37316.5 + 0.5 / kSecondsPerDay, 1e-9);
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const qint64 took = query.elapsed();
    std::printf("query %lld ms, %d ticks, %d repaints, longest gap %lld ms, processor %.3f s\n",
                static_cast<long long>(took), ticks, window.paints, static_cast<long long>(longestGap), cpu);

    EXPECT_GE(took, 2100);
    EXPECT_LT(longestGap, 150) << "the window froze during the query";
    EXPECT_GE(ticks, took / 20 / 2);
    EXPECT_GE(window.paints, 10);
    EXPECT_LT(cpu, 0.5 * static_cast<double>(took) / 1000) << "the waits spin";
}

TEST_F(QtPumpTest, WaitHandlesPostedEventsAndSleepsOtherwise)
{
    const auto clock = MakeSystemTickCounter();
    QtMessagePump pump;
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QElapsedTimer wait;
    wait.start();
    const double cpuStart = ProcessCpuSeconds();
    WaitWithMessages(*clock, pump, 300);
    EXPECT_TRUE(ran);
    EXPECT_GE(wait.elapsed(), 299);
    EXPECT_LT(wait.elapsed(), 400);
    EXPECT_LT(ProcessCpuSeconds() - cpuStart, 0.1);
}

// A blocking job on the worker: the starting thread's loop goes on ticking, and the result comes
// back on that thread.
TEST_F(QtPumpTest, WorkerRunsABlockingJobWhileTheLoopTicks)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    QEventLoop loop;
    std::thread::id workedOn;
    std::thread::id handedBackOn;
    QtWorker worker;
    worker.Run(
        [&] {
            workedOn = std::this_thread::get_id();
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        },
        [&] {
            handedBackOn = std::this_thread::get_id();
            loop.quit();
        });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_NE(workedOn, std::this_thread::get_id());
    EXPECT_EQ(handedBackOn, std::this_thread::get_id());
    EXPECT_GE(ticks, 10) << "the loop stood still while the job ran";
}

// Ending while a job runs waits for it (it bounds itself) and drops its hand-back.
TEST_F(QtPumpTest, WorkerEndedDuringAJobWaitsAndDropsTheHandBack)
{
    bool finished = false;
    bool handedBack = false;
    {
        QtWorker worker;
        worker.Run(
            [&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                finished = true;
            },
            [&] { handedBack = true; });
    }
    EXPECT_TRUE(finished);
    QCoreApplication::processEvents();
    EXPECT_FALSE(handedBack);
}

} // namespace
