#include "platform/session.h"

#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

#ifdef CHRONIVO_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt gives up with an abort and a message about plugins when the X server named by DISPLAY is not
// there; it is asked first, so the user hears what is wrong.
bool XServerReachable()
{
#ifdef CHRONIVO_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
#else
    return true;
#endif
}

int g_endPipe[2] = {-1, -1};

void OnEndSignal(int /*signal*/)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_endPipe[1], &byte, 1);
}

} // namespace

std::string DisplayProblem()
{
    if (IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM"))
        return {};
    if (!IsSet("DISPLAY"))
        return "Chronivo needs a graphical display, and none was found (DISPLAY is not set).";
    if (!XServerReachable())
        return std::string("Chronivo cannot reach the graphical display ") + std::getenv("DISPLAY") + ".";
    return {};
}

int OpenEndRequests()
{
    // A signal handler may only write; the pipe carries the request to the event loop.
    if (g_endPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_endPipe) != 0)
        return -1;
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    return g_endPipe[0];
}

void TakeEndRequest(int handle)
{
    char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(handle, &byte, 1);
}
