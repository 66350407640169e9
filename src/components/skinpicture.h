// The skin picture in the form the window draws it: premultiplied ARGB32, with the pixels of its key
// colour (the colour of its bottom-left pixel) cleared to transparent, or put back. Shared by the
// skin widget and by tools/icongen, which prepares the built-in skin so at build time.
#pragma once

#include <QImage>

// The key colour of a premultiplied ARGB32 picture, opaque.
QRgb SkinKeyOf(const QImage& picture);

// Every pixel of colour from becomes to, in a premultiplied ARGB32 picture.
void ReplaceSkinPixels(QImage& picture, QRgb from, QRgb to);
