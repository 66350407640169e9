#include "app/mainpictures.h"

#include "app/buttonpictures.h"
#include "app/programicon.h"

#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The skin picture as tools/icongen --skin wrote it, carried by the build (app/CMakeLists.txt).
extern const unsigned char kSkinPicture[];
extern const std::size_t kSkinPicture_size;

namespace main_pictures {
namespace {

// A picture icongen drew at build time, its premultiplied RGBA bytes in the resource path; an empty
// one should the resource be missing or not of that size.
QPixmap Carried(const QString& path, QSize size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() != qsizetype{4} * size.width() * size.height())
        return {};
    const QImage image(reinterpret_cast<const uchar*>(bytes.constData()), size.width(), size.height(),
                       QImage::Format_RGBA8888_Premultiplied);
    return QPixmap::fromImage(image);
}

QPixmap Carried(ButtonPicture which)
{
    const ButtonPictureFile& picture = ButtonPictureOf(which);
    return Carried(QStringLiteral(":/buttons/") + QLatin1String(picture.name), picture.size);
}

} // namespace

QPixmap Minimize() { return Carried(ButtonPicture::Minimize); }
QPixmap Close() { return Carried(ButtonPicture::Close); }
QPixmap SetClock() { return Carried(ButtonPicture::SetClock); }
QPixmap ShowCal() { return Carried(ButtonPicture::ShowCal); }
QPixmap Settings() { return Carried(ButtonPicture::Settings); }
QPixmap Help() { return Carried(ButtonPicture::Help); }
QPixmap Logo() { return Carried(ButtonPicture::Logo); }

QIcon ProgramIcon()
{
    // Drawn at build time (tools/icongen --window-icon) at the sizes a window's icon is shown at,
    // which the window system asks for at once; the icon theme has the larger ones too.
    QIcon icon;
    for (const int size : kProgramIconSizes)
        if (size <= kLargestWindowIcon)
            icon.addPixmap(Carried(QStringLiteral(":/programicon/%1.rgba").arg(size), QSize(size, size)));
    return icon;
}

QImage Skin(QRgb& key)
{
    // Three words (width, height, key colour) and a spare, then the pixels.
    std::uint32_t header[4];
    if (kSkinPicture_size < sizeof header)
        return {};
    std::memcpy(header, kSkinPicture, sizeof header);
    const std::uint32_t width = header[0];
    const std::uint32_t height = header[1];
    if (width == 0 || height == 0 || width > 4096 || height > 4096 ||
        kSkinPicture_size != sizeof header + std::size_t{4} * width * height)
        return {};
    key = header[2];
    return QImage(kSkinPicture + sizeof header, static_cast<int>(width), static_cast<int>(height),
                  QImage::Format_ARGB32_Premultiplied);
}

} // namespace main_pictures
