// The notification area through Qt's QSystemTrayIcon, which reaches both the XEmbed trays of X11 and
// the StatusNotifierItem hosts of newer desktops. Qt's activations are reported as the mouse messages
// of notificationarea.h; Qt itself puts the icon back when an area comes back.
#pragma once

#include "platform/notificationarea.h"

#include <QIcon>
#include <QObject>
#include <memory>

class QSystemTrayIcon;

// The icon's picture at size × size pixels.
TIcon IconPicture(const QIcon& icon, int size);
// The picture as a Qt icon; empty for an empty picture.
QIcon ToQIcon(const TIcon& picture);

class QtNotificationArea final : public QObject, public NotificationArea {
public:
    explicit QtNotificationArea(QObject* parent = nullptr);
    ~QtNotificationArea() override;

    // One icon at a time, as the program needs: a second add fails.
    bool Add(const NotifyIconData& data) override;
    bool Modify(const NotifyIconData& data) override;
    bool Delete(const NotifyIconData& data) override;
    bool Present() const override;
    ScreenPoint CursorPos() const override;
    void SetReceiver(Receiver receiver) override;

private:
    void Deliver(std::uint32_t message);

    std::unique_ptr<QSystemTrayIcon> m_icon;
    NotifyIconData m_shown;
    Receiver m_receiver;
};
