// The start-up warm-up never holds up the program's end, whether the application came or not, and its
// work on Qt's objects is over before the application goes.
#include "platform/qt/qtstartupwarmup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>
#include <chrono>

namespace {

template <class Work>
double SecondsOf(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(StartUpWarmUp, EndsAtOnceWhenNoApplicationCame)
{
    EXPECT_LT(SecondsOf([] { const StartUpWarmUp warmUp; }), 5.0)
        << "a start that ends before its application (a second start, a bad display) must not wait for one";
}

// Ended straight away, as a second start ends, the Qt part waits for the font list in the making; the
// sanitizers' run would catch it still at work once the application is gone.
TEST(StartUpWarmUp, EndsItsQtWorkBeforeTheApplicationGoes)
{
    StartUpWarmUp warmUp;
    char name[] = "startupwarmup_test";
    char option[] = "-platform";
    char platform[] = "offscreen";
    char* argv[] = {name, option, platform, nullptr};
    int argc = 3;
    const QApplication application(argc, argv);
    { const StartUpWarmUp::WithApplication withApplication(warmUp); }
    EXPECT_FALSE(QFontDatabase::families().isEmpty());
}

} // namespace
