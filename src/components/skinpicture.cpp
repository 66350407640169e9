#include "components/skinpicture.h"

QRgb SkinKeyOf(const QImage& picture)
{
    return picture.pixel(0, picture.height() - 1) | 0xFF000000u;
}

void ReplaceSkinPixels(QImage& picture, QRgb from, QRgb to)
{
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (row[x] == from)
                row[x] = to;
    }
}
