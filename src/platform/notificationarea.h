// Platform service: the desktop's notification area (the system tray), which holds small icons with
// a tip text and reports mouse messages over them. TTrayIcon (components/trayicon.h) keeps its own
// state over this interface; implementations only pass records on and report what the area said.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A small picture for the notification area: rows top to bottom, 32-bit pixels 0xAARRGGBB, not
// premultiplied. An empty icon has no pixels.
struct TIcon {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool Empty() const { return pixels.empty(); }
    bool operator==(const TIcon&) const = default;
};

// What the area is told about one icon: the notification record.
struct NotifyIconData {
    std::uint32_t id = 0; // the icon's identifier towards the area
    TIcon icon;
    std::string tip; // UTF-8, at most kNotifyTipLength characters
};
inline constexpr std::size_t kNotifyTipLength = 63; // the area's tip field holds 63 characters and a zero

// Mouse messages over an icon, as the area reports them; every implementation uses these values.
namespace tray_message {
inline constexpr std::uint32_t kMouseMove = 0x0200;
inline constexpr std::uint32_t kLeftDown = 0x0201;
inline constexpr std::uint32_t kLeftUp = 0x0202;
inline constexpr std::uint32_t kLeftDoubleClick = 0x0203;
inline constexpr std::uint32_t kRightDown = 0x0204;
inline constexpr std::uint32_t kRightUp = 0x0205;
inline constexpr std::uint32_t kMiddleUp = 0x0208;
} // namespace tray_message

struct ScreenPoint {
    int x = 0; // pixels from the left of the screen
    int y = 0; // pixels from the top
    bool operator==(const ScreenPoint&) const = default;
};

class NotificationArea {
public:
    // Receives (icon identifier, mouse message) for each notification, on the user-interface thread.
    using Receiver = std::function<void(std::uint32_t id, std::uint32_t message)>;

    virtual ~NotificationArea() = default;
    // Puts the icon into the area; false when the area refused (none there, or the id is in use).
    virtual bool Add(const NotifyIconData& data) = 0;
    // Changes picture and tip of the icon with data.id; false when the area refused.
    virtual bool Modify(const NotifyIconData& data) = 0;
    // Removes the icon with data.id; false when the area refused.
    virtual bool Delete(const NotifyIconData& data) = 0;
    // Whether a notification area is there now; it may come and go while the program runs. An icon
    // once added stays added meanwhile and shows again by itself when an area comes back.
    virtual bool Present() const = 0;
    // The cursor's position on the screen now.
    virtual ScreenPoint CursorPos() const = 0;
    // Where notifications go from now on; an empty receiver stops them.
    virtual void SetReceiver(Receiver receiver) = 0;
};
