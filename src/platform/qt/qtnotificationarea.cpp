#include "platform/qt/qtnotificationarea.h"

#include <QCursor>
#include <QImage>
#include <QSystemTrayIcon>

TIcon IconPicture(const QIcon& icon, int size)
{
    const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    TIcon picture;
    picture.width = image.width();
    picture.height = image.height();
    picture.pixels.reserve(static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        picture.pixels.insert(picture.pixels.end(), row, row + image.width());
    }
    return picture;
}

QIcon ToQIcon(const TIcon& picture)
{
    if (picture.Empty())
        return {};
    const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                       static_cast<qsizetype>(picture.width) * 4, QImage::Format_ARGB32);
    return QIcon(QPixmap::fromImage(image.copy()));
}

QtNotificationArea::QtNotificationArea(QObject* parent) : QObject(parent) {}

QtNotificationArea::~QtNotificationArea() = default;

bool QtNotificationArea::Add(const NotifyIconData& data)
{
    if (m_icon || !Present())
        return false;
    m_icon = std::make_unique<QSystemTrayIcon>(ToQIcon(data.icon));
    m_icon->setToolTip(QString::fromStdString(data.tip));
    connect(m_icon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            Deliver(tray_message::kLeftUp);
            break;
        case QSystemTrayIcon::Context:
            Deliver(tray_message::kRightUp);
            break;
        case QSystemTrayIcon::DoubleClick:
            // Qt folds a double-click's second release into it; the desktop reports both.
            Deliver(tray_message::kLeftDoubleClick);
            Deliver(tray_message::kLeftUp);
            break;
        case QSystemTrayIcon::MiddleClick:
            Deliver(tray_message::kMiddleUp);
            break;
        case QSystemTrayIcon::Unknown:
            break;
        }
    });
    m_shown = data;
    m_icon->show();
    return true;
}

bool QtNotificationArea::Modify(const NotifyIconData& data)
{
    if (!m_icon || data.id != m_shown.id)
        return false;
    // Setting an unchanged picture would repaint the icon each second, with the tip.
    if (!(data.icon == m_shown.icon))
        m_icon->setIcon(ToQIcon(data.icon));
    if (data.tip != m_shown.tip)
        m_icon->setToolTip(QString::fromStdString(data.tip));
    m_shown = data;
    return true;
}

bool QtNotificationArea::Delete(const NotifyIconData& data)
{
    if (!m_icon || data.id != m_shown.id)
        return false;
    m_icon.reset();
    return true;
}

bool QtNotificationArea::Present() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

ScreenPoint QtNotificationArea::CursorPos() const
{
    const QPoint position = QCursor::pos();
    return {position.x(), position.y()};
}

void QtNotificationArea::SetReceiver(Receiver receiver)
{
    m_receiver = std::move(receiver);
}

void QtNotificationArea::Deliver(std::uint32_t message)
{
    // A copy: the receiver may end the icon, and with it this area's receiver, while it runs.
    const Receiver receiver = m_receiver;
    if (receiver)
        receiver(m_shown.id, message);
}
