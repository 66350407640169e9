#include "app/buttonpictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QtMath>
#include <memory>

namespace {

const QColor kFace(58, 66, 84);
const QColor kEdgeLight(120, 132, 158);
const QColor kEdgeDark(22, 26, 34);
const QColor kGlyph(225, 232, 245);
const QColor kAccent(0, 200, 220);

QImage Blank(int width, int height)
{
    // The format a transparent-filled QPixmap takes on the raster platforms: the same pixels as when
    // these were drawn on the window's pixmaps.
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A rounded square key of the given size, lit from the top left.
QImage Key(int size)
{
    QImage image = Blank(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, size);
    face.setColorAt(0, kFace.lighter(135));
    face.setColorAt(1, kFace.darker(120));
    p.setPen(QPen(kEdgeDark, 1));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 3, 3);
    return image;
}

std::unique_ptr<QPainter> Glyph(QImage& image)
{
    auto p = std::make_unique<QPainter>(&image);
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(QPen(kGlyph, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->setBrush(Qt::NoBrush);
    return p;
}


QImage Minimize()
{
    QImage image = Key(11);
    const auto p = Glyph(image);
    p->drawLine(QPointF(3, 7.5), QPointF(8, 7.5));
    return image;
}

QImage Close()
{
    QImage image = Key(11);
    const auto p = Glyph(image);
    p->drawLine(QPointF(3.2, 3.2), QPointF(7.8, 7.8));
    p->drawLine(QPointF(7.8, 3.2), QPointF(3.2, 7.8));
    return image;
}

QImage SetClock()
{
    QImage image = Key(19);
    const auto p = Glyph(image);
    p->drawEllipse(QPointF(9.5, 9.5), 5.5, 5.5);
    p->drawLine(QPointF(9.5, 9.5), QPointF(9.5, 6));
    p->drawLine(QPointF(9.5, 9.5), QPointF(12, 11));
    return image;
}

QImage ShowCal()
{
    QImage image = Key(19);
    const auto p = Glyph(image);
    p->drawRect(QRectF(4.5, 5.5, 10, 9));
    p->drawLine(QPointF(4.5, 8.5), QPointF(14.5, 8.5));
    p->drawLine(QPointF(7, 4), QPointF(7, 6.5));
    p->drawLine(QPointF(12, 4), QPointF(12, 6.5));
    p->setPen(Qt::NoPen);
    p->setBrush(kAccent);
    p->drawRect(QRectF(10.5, 10.5, 2.5, 2.5));
    return image;
}

QImage Settings()
{
    QImage image = Key(19);
    const auto p = Glyph(image);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        p->drawLine(QPointF(9.5 + 4 * std::cos(a), 9.5 + 4 * std::sin(a)),
                    QPointF(9.5 + 6 * std::cos(a), 9.5 + 6 * std::sin(a)));
    }
    p->drawEllipse(QPointF(9.5, 9.5), 3.8, 3.8);
    p->drawEllipse(QPointF(9.5, 9.5), 1.3, 1.3);
    return image;
}

QImage Help()
{
    QImage image = Key(19);
    const auto p = Glyph(image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    p->setFont(font);
    p->drawText(QRectF(0, 0, 19, 19), Qt::AlignCenter, QStringLiteral("?"));
    return image;
}

QImage Logo()
{
    QImage image = Blank(58, 15);
    QPainter p(&image);
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
    return image;
}

} // namespace

QImage ButtonPictureImage(ButtonPicture which)
{
    QImage image;
    switch (which) {
    case ButtonPicture::Minimize: image = Minimize(); break;
    case ButtonPicture::Close: image = Close(); break;
    case ButtonPicture::SetClock: image = SetClock(); break;
    case ButtonPicture::ShowCal: image = ShowCal(); break;
    case ButtonPicture::Settings: image = Settings(); break;
    case ButtonPicture::Help: image = Help(); break;
    case ButtonPicture::Logo: image = Logo(); break;
    }
    return image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}
