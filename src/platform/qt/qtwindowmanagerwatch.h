// What a top-level window does about its window manager's ways, kept apart from what the window
// shows. On X11 a window manager may start along with the program and lose the first map request;
// it may take a while to put a shown window on screen and then show it normally whatever was asked
// of it before; and it may minimize a window without the toolkit hearing of it, or not minimize one
// the toolkit believes minimized. This unit watches the window until its first showing reaches the
// screen, holds back a change of look asked for meanwhile, keeps track of whether the window manager
// really minimized the window, and asks again where a request was lost.
//
// The window calls Shown, StateChanged and Tick from its own events and tick; the questions to the
// window manager (qttaskbar) are injected so that tests can play a window manager's part.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

// The window-manager questions and requests of qttaskbar, for one window.
struct WindowManagerCalls {
    std::function<bool()> managed; // a window manager has taken the window
    std::function<bool()> iconic;  // the window manager has the window minimized
    std::function<void()> mapAgain; // ask again to map the window when it is still unmapped
    std::function<void()> askIconic; // ask the window manager to minimize the window
};

// The calls of qttaskbar for window.
WindowManagerCalls TaskbarCalls(QWidget& window);

class WindowManagerWatch final : public QObject {
public:
    // restoredFromTaskbar: run when a window the window manager had minimized is shown normally again.
    WindowManagerWatch(QWidget& window, WindowManagerCalls calls, std::function<void()> restoredFromTaskbar);

    // From the window's show event.
    void Shown();
    // From the window's window-state change event.
    void StateChanged();
    // From each clock tick (twice a second). wantMinimized: the window should be minimized to the
    // taskbar; the window manager is asked again when it shows the window normally.
    void Tick(bool wantMinimized);

    // The window's first showing reached the screen: exposed and taken by the window manager, taken
    // and minimized by it (mapped minimized), or exposed and kTicksWithoutManager ticks shown with no
    // manager taking it.
    bool OnScreen() const { return m_onScreen; }
    static constexpr int kTicksWithoutManager = 5;

    // A window shown but not yet on screen is not the window manager's yet: a minimize or hide asked
    // for now can be lost. Then apply is kept (in place of any kept before), run once the window
    // reaches the screen, and true returned; otherwise any kept one is dropped and false returned.
    bool HoldUntilOnScreen(std::function<void()> apply);
    // The window is about to ask to be minimized: it counts as minimized only once the manager says so.
    void MinimizeAsked() { m_iconified = false; }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ReachScreen();

    QWidget& m_window;
    WindowManagerCalls m_calls;
    std::function<void()> m_restoredFromTaskbar;
    bool m_onScreen = false;
    int m_ticksUnseen = 0; // ticks since the window was shown without reaching the screen
    std::function<void()> m_held;
    bool m_iconified = false; // the window manager minimized the window since the window last asked
};
