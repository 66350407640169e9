// The window toolkit's view of a Bitmap: a QImage over the bitmap's own pixels, without a copy, in
// QImage::Format_RGB32, whose pixels are 0xFFRRGGBB. Painting on the image writes the top byte as 0xFF;
// an image shown on the screen must have it so everywhere (MakeOpaque), or a window with a see-through
// background shows holes. The image is valid while the bitmap keeps its size and is not destroyed.
#pragma once

#include "worldmap/bitmap.h"

#include <QImage>

// A writable image over bitmap's pixels; painting on it draws on the bitmap.
inline QImage BitmapImage(Bitmap& bitmap)
{
    return QImage(reinterpret_cast<uchar*>(bitmap.Data()), bitmap.Width(), bitmap.Height(),
                  static_cast<qsizetype>(bitmap.Width()) * 4, QImage::Format_RGB32);
}

// A read-only image over bitmap's pixels, for copying them to the screen.
inline QImage BitmapImage(const Bitmap& bitmap)
{
    return QImage(reinterpret_cast<const uchar*>(bitmap.Data()), bitmap.Width(), bitmap.Height(),
                  static_cast<qsizetype>(bitmap.Width()) * 4, QImage::Format_RGB32);
}
