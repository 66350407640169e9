#include "components/picturebutton.h"

#include <QKeyEvent>
#include <QPainter>
#include <cmath>

PictureButton::PictureButton(QWidget* parent, const QRect& place, const QPixmap& picture, const QString& hint,
                             const QKeySequence& shortcut)
    : QAbstractButton(parent), m_picture(picture)
{
    setGeometry(place);
    setCursor(Qt::PointingHandCursor);
    // A picture says nothing to a screen reader; the hint does. The shortcut reaches it through the
    // button's own key binding.
    setAccessibleName(hint);
    if (shortcut.isEmpty()) {
        setToolTip(hint);
    } else {
        setShortcut(shortcut);
        setToolTip(QStringLiteral("%1 (%2)").arg(hint, shortcut.toString(QKeySequence::NativeText)));
    }
    setFocusPolicy(Qt::TabFocus);
}

void PictureButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    SmoothAtFractionalScale(painter, devicePixelRatioF());
    if (!isEnabled())
        painter.setOpacity(0.35);
    painter.drawPixmap(rect(), m_picture);
    painter.setOpacity(1);
    if (isDown())
        painter.fillRect(rect(), QColor(255, 255, 255, 60));
    // Only after the keyboard moved the focus, as the desktop's own controls do: a window just opened
    // shows no mark.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        // The read-out's aqua, following the pictures' rounded corners.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::cyan, 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 3, 3);
    }
}

void PictureButton::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        animateClick();
        return;
    }
    // The arrows belong to the window (the calendar pages its years with them), not to moving the
    // focus between buttons.
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right || event->key() == Qt::Key_Up ||
        event->key() == Qt::Key_Down) {
        event->ignore();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void SmoothAtFractionalScale(QPainter& painter, qreal devicePixelRatio)
{
    painter.setRenderHint(QPainter::SmoothPixmapTransform, devicePixelRatio != std::floor(devicePixelRatio));
}
