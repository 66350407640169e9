#include "components/trayicon.h"

namespace {

// The first count characters of a UTF-8 text; a character is never cut in two.
std::string FirstCharacters(const std::string& text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size() && characters < count; ++characters) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return text.substr(0, end);
}

} // namespace

TTrayIcon::TTrayIcon(NotificationArea& area) : m_area(area)
{
    m_area.SetReceiver([this](std::uint32_t id, std::uint32_t message) { WMTrayNotify(id, message); });
}

TTrayIcon::~TTrayIcon()
{
    if (FActive)
        SetActive(false);
    m_area.SetReceiver({});
}

void TTrayIcon::SetActive(bool active)
{
    if (active == FActive)
        return;
    if (active ? AddIcon() : DeleteIcon())
        FActive = active;
}

void TTrayIcon::SetIcon(const TIcon& icon)
{
    if (&icon == &FIcon)
        return;
    FIcon = icon;
    if (FActive)
        ModifyIcon();
}

void TTrayIcon::SetToolTip(const std::string& tip)
{
    if (tip == FToolTip)
        return;
    FToolTip = tip;
    if (FActive)
        ModifyIcon();
}

void TTrayIcon::WMTrayNotify(std::uint32_t id, std::uint32_t message)
{
    if ((id & 0xFFFF) != FIconID || !OnClick)
        return;
    const ScreenPoint cursor = m_area.CursorPos();
    // Releases only: a double-click reports its own message, which is no click, and then a release,
    // which is one.
    if (message == tray_message::kLeftUp)
        OnClick(*this, MouseButton::Left, cursor.x, cursor.y);
    else if (message == tray_message::kRightUp)
        OnClick(*this, MouseButton::Right, cursor.x, cursor.y);
}

NotifyIconData TTrayIcon::FillIconData() const
{
    NotifyIconData data;
    data.id = FIconID;
    data.icon = FIcon;
    data.tip = FirstCharacters(FToolTip, kNotifyTipLength);
    return data;
}

bool TTrayIcon::AddIcon()
{
    FIconData = FillIconData();
    return m_area.Add(FIconData);
}

bool TTrayIcon::ModifyIcon()
{
    // A record of its own: the one of the last add stays as it was, for the delete.
    return m_area.Modify(FillIconData());
}

bool TTrayIcon::DeleteIcon()
{
    return m_area.Delete(FIconData);
}
