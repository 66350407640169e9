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
    if (m_active)
        SetActive(false);
    m_area.SetReceiver({});
}

void TTrayIcon::SetActive(bool active)
{
    if (active == m_active)
        return;
    if (active ? AddIcon() : DeleteIcon())
        m_active = active;
}

void TTrayIcon::SetIcon(const TIcon& icon)
{
    if (&icon == &m_icon)
        return;
    m_icon = icon;
    if (m_active)
        ModifyIcon();
}

void TTrayIcon::SetToolTip(const std::string& tip)
{
    if (tip == m_toolTip)
        return;
    m_toolTip = tip;
    if (m_active)
        ModifyIcon();
}

void TTrayIcon::WMTrayNotify(std::uint32_t id, std::uint32_t message)
{
    if ((id & 0xFFFF) != m_iconId || !OnClick)
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
    data.id = m_iconId;
    data.icon = m_icon;
    data.tip = FirstCharacters(m_toolTip, kNotifyTipLength);
    return data;
}

bool TTrayIcon::AddIcon()
{
    m_iconData = FillIconData();
    return m_area.Add(m_iconData);
}

bool TTrayIcon::ModifyIcon()
{
    // A record of its own: the one of the last add stays as it was, for the delete.
    return m_area.Modify(FillIconData());
}

bool TTrayIcon::DeleteIcon()
{
    return m_area.Delete(m_iconData);
}
