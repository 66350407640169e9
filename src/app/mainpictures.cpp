#include "app/mainpictures.h"

#include "app/programicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <memory>

namespace main_pictures {
namespace {

const QColor kFace(58, 66, 84);
const QColor kEdgeLight(120, 132, 158);
const QColor kEdgeDark(22, 26, 34);
const QColor kGlyph(225, 232, 245);
const QColor kAccent(0, 200, 220);

// A rounded square key of the given size, lit from the top left.
QPixmap Key(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, size);
    face.setColorAt(0, kFace.lighter(135));
    face.setColorAt(1, kFace.darker(120));
    p.setPen(QPen(kEdgeDark, 1));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 3, 3);
    return pixmap;
}

std::unique_ptr<QPainter> Glyph(QPixmap& pixmap)
{
    auto p = std::make_unique<QPainter>(&pixmap);
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(QPen(kGlyph, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->setBrush(Qt::NoBrush);
    return p;
}

} // namespace

QPixmap Minimize()
{
    QPixmap pixmap = Key(11);
    const auto p = Glyph(pixmap);
    p->drawLine(QPointF(3, 7.5), QPointF(8, 7.5));
    return pixmap;
}

QPixmap Close()
{
    QPixmap pixmap = Key(11);
    const auto p = Glyph(pixmap);
    p->drawLine(QPointF(3.2, 3.2), QPointF(7.8, 7.8));
    p->drawLine(QPointF(7.8, 3.2), QPointF(3.2, 7.8));
    return pixmap;
}

QPixmap SetClock()
{
    QPixmap pixmap = Key(19);
    const auto p = Glyph(pixmap);
    p->drawEllipse(QPointF(9.5, 9.5), 5.5, 5.5);
    p->drawLine(QPointF(9.5, 9.5), QPointF(9.5, 6));
    p->drawLine(QPointF(9.5, 9.5), QPointF(12, 11));
    return pixmap;
}

QPixmap ShowCal()
{
    QPixmap pixmap = Key(19);
    const auto p = Glyph(pixmap);
    p->drawRect(QRectF(4.5, 5.5, 10, 9));
    p->drawLine(QPointF(4.5, 8.5), QPointF(14.5, 8.5));
    p->drawLine(QPointF(7, 4), QPointF(7, 6.5));
    p->drawLine(QPointF(12, 4), QPointF(12, 6.5));
    p->setPen(Qt::NoPen);
    p->setBrush(kAccent);
    p->drawRect(QRectF(10.5, 10.5, 2.5, 2.5));
    return pixmap;
}

QPixmap Settings()
{
    QPixmap pixmap = Key(19);
    const auto p = Glyph(pixmap);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        p->drawLine(QPointF(9.5 + 4 * std::cos(a), 9.5 + 4 * std::sin(a)),
                    QPointF(9.5 + 6 * std::cos(a), 9.5 + 6 * std::sin(a)));
    }
    p->drawEllipse(QPointF(9.5, 9.5), 3.8, 3.8);
    p->drawEllipse(QPointF(9.5, 9.5), 1.3, 1.3);
    return pixmap;
}

QPixmap Help()
{
    QPixmap pixmap = Key(19);
    const auto p = Glyph(pixmap);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    p->setFont(font);
    p->drawText(QRectF(0, 0, 19, 19), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}

QPixmap Logo()
{
    QPixmap pixmap(58, 15);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(kEdgeDark);
    p.drawText(QRectF(1, 1, 58, 15), Qt::AlignCenter, QStringLiteral("Veltrix"));
    p.setPen(kGlyph);
    p.drawText(QRectF(0, 0, 58, 15), Qt::AlignCenter, QStringLiteral("Veltrix"));
    return pixmap;
}

QIcon ProgramIcon()
{
    // Drawn at build time (tools/icongen); a picture is read when first asked for. The window carries
    // the sizes a window's icon is shown at, which the window system asks for at once; the icon
    // theme has the larger ones too.
    constexpr int kLargestWindowIcon = 64;
    QIcon icon;
    for (const int size : kProgramIconSizes)
        if (size <= kLargestWindowIcon)
            icon.addFile(QStringLiteral(":/programicon/%1x%1/apps/chronivo.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace main_pictures
