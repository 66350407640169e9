#include "app/mainwindowrules.h"

MainWindowRules::MainWindowRules(NotificationArea& area, TIcon programIcon, Hooks hooks)
    : m_area(area), m_programIcon(std::move(programIcon)), m_hooks(std::move(hooks))
{
}

MainWindowRules::~MainWindowRules() = default;

bool MainWindowRules::TrayUsable() const
{
    return m_trayIcon && m_trayIcon->Active() && m_area.Present();
}

void MainWindowRules::Become(WindowCondition condition)
{
    // Hiding needs a way back; without one the taskbar holds the window.
    if (condition == WindowCondition::HiddenInTray && !TrayUsable())
        condition = WindowCondition::MinimizedToTaskbar;
    WindowLook look;
    look.condition = condition;
    look.taskbarEntry = !TrayUsable();
    look.restoreCaption = condition == WindowCondition::Shown ? "Minimize" : "Restore";
    if (look == m_look)
        return;
    m_look = look;
    if (!m_closing && m_hooks.apply)
        m_hooks.apply(m_look);
}

void MainWindowRules::Minimize()
{
    Become(InTrayMode() ? WindowCondition::HiddenInTray : WindowCondition::MinimizedToTaskbar);
}

void MainWindowRules::RestoreToggle()
{
    // A window minimized to the taskbar is out of sight as one hidden in the tray: both come back.
    Become(m_look.condition == WindowCondition::Shown ? WindowCondition::HiddenInTray : WindowCondition::Shown);
}

void MainWindowRules::RestoredFromTaskbar()
{
    if (m_look.condition == WindowCondition::MinimizedToTaskbar)
        Become(WindowCondition::Shown);
}

void MainWindowRules::EnterTrayMode()
{
    if (m_trayIcon)
        return;
    m_trayIcon = std::make_unique<TTrayIcon>(m_area);
    m_trayIcon->SetIcon(m_programIcon);
    m_trayIcon->SetToolTip("Chronivo");
    m_trayIcon->OnClick = [this](TTrayIcon&, MouseButton button, int x, int y) { TrayIconClick(button, x, y); };
    m_trayIcon->SetActive(true);
    Become(m_look.condition);
}

void MainWindowRules::LeaveTrayMode()
{
    if (!m_trayIcon)
        return;
    m_trayIcon.reset();
    Become(m_look.condition);
}

void MainWindowRules::TrayIconClick(MouseButton button, int x, int y)
{
    if (button == MouseButton::Left && m_hooks.dialogOpen && m_hooks.dialogOpen()) {
        // Hiding the window would leave the dialog alone on screen; the user is looking for it.
        Become(WindowCondition::Shown);
        if (m_hooks.raiseDialog)
            m_hooks.raiseDialog();
    } else if (button == MouseButton::Left) {
        RestoreToggle();
    }
    else if (m_hooks.popupMenu)
        m_hooks.popupMenu(x, y);
}

void MainWindowRules::FirstTick(bool& firstTickDone, const std::function<bool()>& savedMinimized)
{
    if (firstTickDone)
        return;
    if (savedMinimized())
        Minimize();
    firstTickDone = true;
}

void MainWindowRules::ShowTip(const std::string& title)
{
    if (m_trayIcon)
        m_trayIcon->SetToolTip(title);
}

void MainWindowRules::WatchArea()
{
    if (!m_trayIcon)
        return;
    // An add refused while no area was there is tried again once one is.
    if (!m_trayIcon->Active() && m_area.Present())
        m_trayIcon->SetActive(true);
    // A window that went to the taskbar for want of an area goes back into the tray.
    Become(m_look.condition == WindowCondition::MinimizedToTaskbar ? WindowCondition::HiddenInTray : m_look.condition);
}

bool MainWindowRules::Close()
{
    const bool minimized = OwnStateMinimized();
    m_closing = true;
    LeaveTrayMode();
    return minimized;
}
