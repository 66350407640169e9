// icongen OUTDIR NAME: draws the program's icon at each of its sizes into
// OUTDIR/<size>x<size>/apps/NAME.png, the hicolor theme's layout: for installing with the program, and
// for the program itself to carry.
// icongen --buttons OUTDIR: draws the main window's button pictures (app/buttonpictures.h) into
// OUTDIR/<name>, each its premultiplied RGBA bytes row by row, for the program to carry.
// icongen --window-icon OUTDIR: draws the program's icon at the sizes a window carries into
// OUTDIR/<size>.rgba, premultiplied RGBA bytes row by row, for the program to carry.
// icongen --skin SKIN.bmp OUTFILE: writes the window's skin as the window draws it (premultiplied
// ARGB32, its key colour cleared; components/skinpicture.h), for the program to carry: width, height
// and key colour as three 32-bit words and a fourth of 0, then the pixels, each a 32-bit word, row by
// row, in this machine's byte order.
#include "app/buttonpictures.h"
#include "app/programicon.h"
#include "components/skinpicture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

bool WriteIcons(const QString& outDir, const QString& name)
{
    for (const int size : kProgramIconSizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !ProgramIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    return true;
}

// Writes image's premultiplied RGBA bytes, row by row, to path.
bool WriteRgba(const QImage& picture, const QString& path)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    for (int y = 0; written && y < image.height(); ++y)
        written = file.write(reinterpret_cast<const char*>(image.constScanLine(y)), qint64{4} * image.width()) ==
                  qint64{4} * image.width();
    if (!written)
        std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(path));
    return written;
}

bool WriteButtons(const QString& outDir)
{
    for (const ButtonPictureFile& picture : kButtonPictures) {
        const QImage image = ButtonPictureImage(picture.which);
        if (image.size() != picture.size || !QDir().mkpath(outDir) ||
            !WriteRgba(image, outDir + QLatin1Char('/') + QLatin1String(picture.name)))
            return false;
    }
    return true;
}

bool WriteWindowIcon(const QString& outDir)
{
    for (const int size : kProgramIconSizes)
        if (size <= kLargestWindowIcon &&
            (!QDir().mkpath(outDir) || !WriteRgba(ProgramIconImage(size), QStringLiteral("%1/%2.rgba").arg(outDir).arg(size))))
            return false;
    return true;
}

bool WriteSkin(const QString& bmpFile, const QString& outFile)
{
    QImage picture(bmpFile, "BMP");
    QFile file(outFile);
    if (picture.isNull() || !file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "icongen: cannot make %s from %s\n", qPrintable(outFile), qPrintable(bmpFile));
        return false;
    }
    picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    const QRgb key = SkinKeyOf(picture);
    ReplaceSkinPixels(picture, key, 0);
    const std::uint32_t header[] = {static_cast<std::uint32_t>(picture.width()),
                                    static_cast<std::uint32_t>(picture.height()), key, 0};
    bool written = file.write(reinterpret_cast<const char*>(header), sizeof header) == sizeof header;
    const qint64 rowBytes = qint64{4} * picture.width();
    for (int y = 0; written && y < picture.height(); ++y)
        written = file.write(reinterpret_cast<const char*>(picture.constScanLine(y)), rowBytes) == rowBytes;
    if (!written)
        std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(outFile));
    return written;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool buttons = argc == 3 && std::strcmp(argv[1], "--buttons") == 0;
    const bool windowIcon = argc == 3 && std::strcmp(argv[1], "--window-icon") == 0;
    const bool skin = argc == 4 && std::strcmp(argv[1], "--skin") == 0;
    if (argc != 3 && !skin) {
        std::fprintf(stderr, "usage: icongen OUTDIR NAME | icongen --buttons OUTDIR | icongen --window-icon OUTDIR |\n"
                             "       icongen --skin SKIN.bmp OUTFILE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const auto argument = [argv](int i) { return QString::fromLocal8Bit(argv[i]); };
    bool written = false;
    if (skin)
        written = WriteSkin(argument(2), argument(3));
    else if (buttons)
        written = WriteButtons(argument(2));
    else if (windowIcon)
        written = WriteWindowIcon(argument(2));
    else
        written = WriteIcons(argument(1), argument(2));
    return written ? 0 : 1;
}
