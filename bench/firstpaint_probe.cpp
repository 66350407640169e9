// Starts a program and measures how long it takes until a given screen pixel shows a given colour:
// the time from start to first useful paint, as the user sees it. Polls the X server's screen every
// millisecond.
// Usage: firstpaint_probe X Y RRGGBB TIMEOUT_MS PROGRAM [ARGS...]; prints the milliseconds, or
// fails (exit 1) when the colour did not come in time. The program is ended with SIGTERM afterwards.
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

// The 24-bit colour of one pixel of the root window, or -1.
long PixelAt(xcb_connection_t* connection, xcb_window_t root, int x, int y)
{
    const xcb_get_image_cookie_t cookie =
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), 1, 1, 0xFFFFFFFF);
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(xcb_get_image_reply(connection, cookie, nullptr),
                                                                       &std::free);
    if (!reply || xcb_get_image_data_length(reply.get()) < 4)
        return -1;
    const std::uint8_t* data = xcb_get_image_data(reply.get());
    return static_cast<long>(data[0] | (data[1] << 8) | (data[2] << 16)); // BGRX on a 24-bit screen
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fputs("usage: firstpaint_probe X Y RRGGBB TIMEOUT_MS PROGRAM [ARGS...]\n", stderr);
        return 2;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const long colour = std::strtol(argv[3], nullptr, 16);
    const auto timeout = std::chrono::milliseconds(std::atoi(argv[4]));

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("firstpaint_probe: no display\n", stderr);
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    if (PixelAt(connection, root, x, y) == colour) {
        std::fputs("firstpaint_probe: the colour is on the screen already\n", stderr);
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[5], nullptr, nullptr, argv + 5, environ) != 0) {
        std::perror("firstpaint_probe: cannot start the program");
        return 2;
    }
    int result = 1;
    while (std::chrono::steady_clock::now() - start < timeout) {
        if (PixelAt(connection, root, x, y) == colour) {
            const auto took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
            std::printf("%.1f\n", took.count());
            result = 0;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    xcb_disconnect(connection);
    return result;
}
