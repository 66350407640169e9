#include "app/programicon.h"

#include <QPainter>

QImage ProgramIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // Drawn on a 32-unit grid, scaled.
    p.scale(size / 32.0, size / 32.0);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(22, 26, 34), 2));
    p.setBrush(QColor(40, 110, 170));
    p.drawEllipse(QPointF(16, 16), 14, 14);
    p.setPen(QPen(QColor(90, 170, 90), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(6, 6, 20, 20), 30 * 16, 100 * 16);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(16, 8));
    p.drawLine(QPointF(16, 16), QPointF(22, 19));
    return image;
}
