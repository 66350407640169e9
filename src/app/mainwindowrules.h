// How the main window shows itself, apart from any widget: shown, minimized to the taskbar or hidden
// in the notification area; tray mode with its icon, its tip and its clicks; the saved minimized state
// applied at the first tick; whether the Set Clock button is shown. The window binds these rules and
// makes itself look as WindowLook says whenever the look changes.
//
// The window is never hidden where nothing can bring it back: without a notification area (none
// there, or it went away) it minimizes to the taskbar instead and keeps its taskbar entry, and tray
// mode comes back by itself when an area appears.
#pragma once

#include "components/trayicon.h"
#include "platform/notificationarea.h"

#include <functional>
#include <memory>
#include <string>

enum class WindowCondition {
    Shown,
    MinimizedToTaskbar, // the window's own state stays normal
    HiddenInTray,       // the window's own state is minimized
};

struct WindowLook {
    WindowCondition condition = WindowCondition::Shown;
    bool taskbarEntry = true;                // the window has an entry in the taskbar
    std::string restoreCaption = "Minimize"; // the tray menu's first item: "Minimize" or "Restore"
    bool operator==(const WindowLook&) const = default;
};

class MainWindowRules {
public:
    struct Hooks {
        std::function<void(const WindowLook&)> apply; // make the window look so
        std::function<void(int x, int y)> popupMenu;  // pop the tray menu up at a screen position
        std::function<bool()> dialogOpen;             // a dialog or message box of the window is open
        std::function<void()> raiseDialog;            // bring that dialog to the front
    };

    // programIcon: the picture the tray icon shows. The area must outlive the rules.
    MainWindowRules(NotificationArea& area, TIcon programIcon, Hooks hooks);
    ~MainWindowRules();

    // The minimize button: hidden in the tray in tray mode, else minimized to the taskbar.
    void Minimize();
    // The menu's first item and a left click on the icon: shown → hidden in the tray; hidden or
    // minimized → shown.
    void RestoreToggle();
    // The window came back from the taskbar by the user's or the desktop's doing.
    void RestoredFromTaskbar();

    // Tray mode on: the icon, with tip "Chronivo", enters the area and the taskbar entry goes. Nothing
    // happens when the icon exists already.
    void EnterTrayMode();
    // Tray mode off: the icon leaves the area and the taskbar entry comes back. A window hidden in the
    // tray is minimized to the taskbar instead.
    void LeaveTrayMode();
    bool InTrayMode() const { return m_trayIcon != nullptr; }
    const TTrayIcon* TrayIcon() const { return m_trayIcon.get(); }
    // Left: RestoreToggle, or while a dialog is open, that dialog to the front and the window shown
    // with it; any other button: the pop-up menu at (x, y), screen pixels.
    void TrayIconClick(MouseButton button, int x, int y);

    // At each tick: the first applies the saved minimized state (savedMinimized is asked only then)
    // and sets firstTickDone.
    void FirstTick(bool& firstTickDone, const std::function<bool()>& savedMinimized);
    // At each new second in tray mode: the icon's tip ("hh:nn:ss", two blanks, the long date).
    void ShowTip(const std::string& title);
    // At each tick in tray mode: follows the notification area as it goes away or comes back.
    void WatchArea();

    // Closing: leaves tray mode without showing anything and answers whether the window's own
    // state was minimized (hidden in the tray), which is what is saved.
    bool Close();

    // Hidden in the tray; the map is then redrawn only when more than a minute passed.
    bool OwnStateMinimized() const { return m_look.condition == WindowCondition::HiddenInTray; }
    const WindowLook& Look() const { return m_look; }

private:
    // The tray can bring the window back: tray mode on, the icon in an area that is there.
    bool TrayUsable() const;
    void Become(WindowCondition condition);

    NotificationArea& m_area;
    TIcon m_programIcon;
    Hooks m_hooks;
    std::unique_ptr<TTrayIcon> m_trayIcon;
    WindowLook m_look;
    bool m_closing = false;
};
