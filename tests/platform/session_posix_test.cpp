// The session service on POSIX: the display check before the toolkit starts, and the end request a
// polite signal turns into.
#include "platform/session.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <poll.h>

namespace {

bool Readable(int handle, int waitMs)
{
    pollfd watched{handle, POLLIN, 0};
    return ::poll(&watched, 1, waitMs) == 1;
}

TEST(DisplayProblem, NamesAMissingOrUnreachableDisplay)
{
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("DISPLAY");
    EXPECT_EQ(DisplayProblem(), "Chronivo needs a graphical display, and none was found (DISPLAY is not set).");
    ::setenv("DISPLAY", ":4711", 1);
    EXPECT_EQ(DisplayProblem(), "Chronivo cannot reach the graphical display :4711.");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    EXPECT_EQ(DisplayProblem(), "");
}

TEST(EndRequests, EachPoliteSignalBecomesOneRequest)
{
    const int handle = OpenEndRequests();
    ASSERT_GE(handle, 0);
    EXPECT_FALSE(Readable(handle, 0));
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        ASSERT_EQ(std::raise(signal), 0); // handled: the test goes on
        EXPECT_TRUE(Readable(handle, 1000));
        TakeEndRequest(handle);
        EXPECT_FALSE(Readable(handle, 0));
    }
}

} // namespace
