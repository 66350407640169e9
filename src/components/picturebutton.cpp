#include "components/picturebutton.h"

#include <QPainter>

PictureButton::PictureButton(QWidget* parent, const QRect& place, const QPixmap& picture, const QString& hint)
    : QAbstractButton(parent), m_picture(picture)
{
    setGeometry(place);
    setCursor(Qt::PointingHandCursor);
    setToolTip(hint);
    // A picture says nothing to a screen reader; the hint does.
    setAccessibleName(hint);
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
    if (isDown())
        painter.fillRect(rect(), QColor(255, 255, 255, 60));
}
