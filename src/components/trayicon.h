// TTrayIcon: one icon with a tip text in the desktop's notification area. It adds the icon when made
// active, keeps it up to date when its picture or tip changes, removes it when made inactive or
// destroyed, and turns left and right button releases over it into one click event for its owner.
// It knows nothing of the rest of the program; the area itself is a platform service.
#pragma once

#include "platform/notificationarea.h"

#include <cstdint>
#include <functional>
#include <string>

enum class MouseButton { Left, Right };

class TTrayIcon {
public:
    // sender, the released button and the cursor's screen position when the notification came.
    using ClickEvent = std::function<void(TTrayIcon& sender, MouseButton button, int x, int y)>;

    // Inactive, with an empty icon and tip. The area must outlive the component.
    explicit TTrayIcon(NotificationArea& area);
    // An active icon leaves the area; an inactive one makes no call.
    ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // True while the icon is in the area. Becomes true only when the add succeeds and false only
    // when the delete succeeds; a refused call leaves it as it was and a later write tries again.
    bool Active() const { return m_active; }
    void SetActive(bool active);

    // Writing copies the picture (nothing happens for the owned icon itself); while active the area
    // is updated at once.
    const TIcon& Icon() const { return m_icon; }
    void SetIcon(const TIcon& icon);

    // The whole text; the area gets its first 63 characters. An equal text changes nothing.
    const std::string& ToolTip() const { return m_toolTip; }
    void SetToolTip(const std::string& tip);

    ClickEvent OnClick;

    // A notification from the area: id is the icon's identifier (its low 16 bits count), message the
    // mouse message over the icon. Only left and right releases reach OnClick.
    void WMTrayNotify(std::uint32_t id, std::uint32_t message);

private:
    NotifyIconData FillIconData() const;
    bool AddIcon();
    bool ModifyIcon();
    bool DeleteIcon();

    NotificationArea& m_area;
    NotifyIconData m_iconData; // as filled for the last add; the delete uses it unchanged
    bool m_active = false;
    TIcon m_icon;
    std::string m_toolTip;
    const std::uint32_t m_iconId = 0;
};
