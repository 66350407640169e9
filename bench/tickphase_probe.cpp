// Watches the title of an X window that begins with the local time ("hh:mm:ss…") and tells, for each
// change of the second it shows, how many milliseconds after the start of that second by this
// machine's clock the change reached the X server: how late a clock's read-out follows the real one.
// Usage: tickphase_probe WINDOW_ID SECONDS; prints one number a line (milliseconds), or fails (exit 1)
// when the window cannot be watched.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <poll.h>
#include <string>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// Seconds since local midnight shown at the head of the window's title, or -1.
int ShownSecondOfDay(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t utf8)
{
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, utf8, 0, 4), nullptr),
        &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) < 8)
        return -1;
    const std::string title(static_cast<const char*>(xcb_get_property_value(reply.get())), 8);
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    if (std::sscanf(title.c_str(), "%2d:%2d:%2d", &hours, &minutes, &seconds) != 3)
        return -1;
    return hours * 3600 + minutes * 60 + seconds;
}

// Milliseconds since local midnight, now.
double LocalMsOfDay()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) * 1000.0 + now.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: tickphase_probe WINDOW_ID SECONDS\n", stderr);
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
    const double until = LocalMsOfDay() + std::atof(argv[2]) * 1000.0;

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("tickphase_probe: no display\n", stderr);
        return 1;
    }
    const xcb_atom_t name = Atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    if (xcb_request_check(connection, xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &mask))) {
        std::fputs("tickphase_probe: no such window\n", stderr);
        return 1;
    }
    int shown = ShownSecondOfDay(connection, window, name, utf8);
    pollfd wait{xcb_get_file_descriptor(connection), POLLIN, 0};
    for (double now = LocalMsOfDay(); now < until; now = LocalMsOfDay()) {
        poll(&wait, 1, static_cast<int>(until - now) + 1);
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const double arrived = LocalMsOfDay();
            const bool titled = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
                                reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == name;
            std::free(event);
            if (!titled)
                continue;
            const int second = ShownSecondOfDay(connection, window, name, utf8);
            if (second < 0 || second == shown)
                continue;
            shown = second;
            double late = arrived - second * 1000.0;
            if (late < -43200000.0) // the shown second was before midnight, the change after it
                late += 86400000.0;
            else if (late > 43200000.0)
                late -= 86400000.0;
            std::printf("%.1f\n", late);
            std::fflush(stdout);
        }
        if (xcb_connection_has_error(connection))
            return 1;
    }
    xcb_disconnect(connection);
    return 0;
}
