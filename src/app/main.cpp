// The program: checks for a display, creates the main window and runs until it closes.
#include "app/cv_main.h"
#include "platform/localclock.h"
#include "platform/qt/qtlocaleformats.h"
#include "platform/qt/qtmessagepump.h"
#include "platform/qt/qtshellopener.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

#ifdef CHRONIVO_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

bool HasDisplay()
{
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// Qt gives up with an abort and a message about plugins when the X server named by DISPLAY is not
// there; ask it first, so the user hears what is wrong.
bool DisplayReachable()
{
#ifdef CHRONIVO_HAVE_XCB
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((wayland && *wayland) || (platform && *platform))
        return true;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
#else
    return true;
#endif
}

int g_signalPipe[2] = {-1, -1};

void OnTerminate(int /*signal*/)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
}

// A polite end (the session closing, a kill without -9) closes the window the ordinary way, so the
// window's place is saved as on any other exit.
void CloseOnTerminate(QWidget& window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(g_signalPipe[0], &byte, 1);
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

} // namespace

int main(int argc, char* argv[])
{
    if (!HasDisplay()) {
        std::fputs("Chronivo needs a graphical display, and none was found (DISPLAY is not set).\n", stderr);
        return 1;
    }
    if (!DisplayReachable()) {
        std::fprintf(stderr, "Chronivo cannot reach the graphical display %s.\n", std::getenv("DISPLAY"));
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrix Chronivo"));
    QApplication::setQuitOnLastWindowClosed(true);

    MainServices services{MakeSystemLocalClock(), std::make_unique<QtLocaleFormats>(),
                          std::make_unique<QtShellOpener>()};
    services.timeSync.pump = std::make_unique<QtMessagePump>();
    // The program, unlike its tests, may set the computer's clock.
    services.timeSync.setter = MakeSystemClockSetter(*services.timeSync.pump);
    const std::string appPath = QCoreApplication::applicationDirPath().toStdString() + '/';
    TcvMain cvMain(appPath, std::move(services));
    CloseOnTerminate(cvMain);
    cvMain.show();
    return QApplication::exec();
}
