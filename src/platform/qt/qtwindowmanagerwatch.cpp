#include "platform/qt/qtwindowmanagerwatch.h"

#include "platform/qt/qttaskbar.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <utility>

WindowManagerCalls TaskbarCalls(QWidget& window)
{
    QWidget* w = &window;
    return {[w] { return ManagedByWindowManager(*w); }, [w] { return IconicForWindowManager(*w); },
            [w] { MapAgainIfUnmapped(*w); }, [w] { AskIconic(*w); }};
}

WindowManagerWatch::WindowManagerWatch(QWidget& window, WindowManagerCalls calls,
                                       std::function<void()> restoredFromTaskbar)
    : QObject(&window), m_window(window), m_calls(std::move(calls)),
      m_restoredFromTaskbar(std::move(restoredFromTaskbar))
{
}

void WindowManagerWatch::Shown()
{
    if (!m_onScreen && m_window.windowHandle())
        m_window.windowHandle()->installEventFilter(this);
}

void WindowManagerWatch::StateChanged()
{
    if (!m_window.isVisible())
        return;
    // The window manager's WM_STATE reaches the toolkit as a state change: a window mapped minimized
    // is on screen from then.
    ReachScreen();
    // Just after a minimize is asked for, the toolkit can report the window normal again, from the
    // window manager's state before it took the request; only a window the manager really minimized
    // comes back from the taskbar.
    if (m_window.isMinimized()) {
        m_iconified = m_iconified || m_calls.iconic();
    } else if (std::exchange(m_iconified, false)) {
        m_restoredFromTaskbar();
    }
}

void WindowManagerWatch::Tick(bool wantMinimized)
{
    // Once a second until the window first reaches the screen: a window manager starting up along with
    // the program may have lost its map request. Not once it is there: mapping a window the manager
    // holds minimized would show it.
    if (!m_onScreen && m_window.isVisible()) {
        ++m_ticksUnseen;
        ReachScreen();
        if (!m_onScreen && m_ticksUnseen % 2 == 0)
            m_calls.mapAgain();
    }

    // The window manager may minimize the window after the toolkit reported it so, without a report.
    if (!m_iconified && m_window.isVisible() && m_window.isMinimized())
        m_iconified = m_calls.iconic();
    // A hidden window shown minimized is mapped anew, and now and then the toolkit maps it asking to
    // start normal: the window manager then shows it normally and the toolkit follows. A window the
    // manager never minimized is asked for again.
    if (!m_iconified && m_onScreen && m_window.isVisible() && wantMinimized && m_calls.managed() && !m_calls.iconic())
        m_calls.askIconic();
}

bool WindowManagerWatch::HoldUntilOnScreen(std::function<void()> apply)
{
    if (m_window.isVisible() && !m_onScreen) {
        m_held = std::move(apply);
        return true;
    }
    m_held = nullptr;
    return false;
}

bool WindowManagerWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.windowHandle() && event->type() == QEvent::Expose)
        ReachScreen();
    return QObject::eventFilter(watched, event);
}

void WindowManagerWatch::ReachScreen()
{
    QWindow* handle = m_window.windowHandle();
    if (m_onScreen || !m_window.isVisible() || !handle)
        return;
    // A window mapped minimized is the window manager's without ever being exposed. Without a manager
    // no window is minimized: the server shows it whatever it asked for.
    const bool managed = m_calls.managed();
    const bool iconic = managed && m_calls.iconic();
    if (!iconic && !handle->isExposed())
        return;
    // A window mapped before the window manager started is exposed at once, and the manager, when it
    // takes the window over, shows it normally whatever was asked of it before.
    if (!managed && m_ticksUnseen < kTicksWithoutManager)
        return;
    m_onScreen = true;
    handle->removeEventFilter(this);
    // After the expose is handled, so the first paint is not held up.
    if (m_held)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (const std::function<void()> apply = std::exchange(m_held, nullptr))
                    apply();
            },
            Qt::QueuedConnection);
}
