#include "platform/qt/qtstartupwarmup.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

#ifdef CHRONIVO_HAVE_QT_DBUS
#include <QDBusConnection>
#endif
#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace {

// Fontconfig reads its configuration and its font caches once a process; Qt's own first call then
// finds them read. Where Qt uses fontconfig at all it has loaded the library already.
void ReadFontConfiguration()
{
#ifndef _WIN32
    if (auto* init = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "FcInit")))
        init();
#endif
}

#ifdef CHRONIVO_HAVE_QT_DBUS
// On X11 and Wayland the screen reader's bridge connects to the session bus when the first widget
// changes, and the notification area looks for its watcher there; without a bus in the environment
// the connection first starts one, which takes milliseconds of waiting.
bool ConnectsToSessionBus()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}
#endif

} // namespace

StartUpWarmUp::StartUpWarmUp()
    : m_fonts([this] { Run(); })
{
}

StartUpWarmUp::~StartUpWarmUp()
{
    Finish();
}

void StartUpWarmUp::Finish()
{
    MoveTo(Stage::Ending);
    if (m_fonts.joinable())
        m_fonts.join();
}

void StartUpWarmUp::MoveTo(Stage stage)
{
    {
        const std::lock_guard lock(m_mutex);
        // A stage once left is not come back to: an ending thread stays ending.
        if (stage <= m_stage)
            return;
        m_stage = stage;
    }
    m_changed.notify_one();
}

void StartUpWarmUp::Run()
{
    ReadFontConfiguration();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stage != Stage::Starting; });
    if (m_stage != Stage::ApplicationMade)
        return;
    lock.unlock();
    // Qt's font database has a lock of its own: a text laid out meanwhile waits for the list.
    QFontDatabase::families();
}

StartUpWarmUp::WithApplication::WithApplication(StartUpWarmUp& warmUp)
    : m_warmUp(warmUp)
{
    m_warmUp.MoveTo(Stage::ApplicationMade);
#ifdef CHRONIVO_HAVE_QT_DBUS
    if (ConnectsToSessionBus())
        m_bus = std::thread([] { QDBusConnection::sessionBus(); });
#endif
}

StartUpWarmUp::WithApplication::~WithApplication()
{
    m_warmUp.Finish();
    if (m_bus.joinable())
        m_bus.join();
}
