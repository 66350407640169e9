// icongen OUTDIR NAME: draws the program's icon at each of its sizes into
// OUTDIR/<size>x<size>/apps/NAME.png, the hicolor theme's layout: for installing with the program, and
// for the program itself to carry.
// icongen --buttons OUTDIR: draws the main window's button pictures (app/buttonpictures.h) into
// OUTDIR/<name>, each its premultiplied RGBA bytes row by row, for the program to carry.
#include "app/buttonpictures.h"
#include "app/programicon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
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

bool WriteButtons(const QString& outDir)
{
    for (const ButtonPictureFile& picture : kButtonPictures) {
        const QImage image = ButtonPictureImage(picture.which);
        QFile file(outDir + QLatin1Char('/') + QLatin1String(picture.name));
        bool written = QDir().mkpath(outDir) && file.open(QIODevice::WriteOnly);
        for (int y = 0; written && y < image.height(); ++y)
            written = file.write(reinterpret_cast<const char*>(image.constScanLine(y)), qint64{4} * image.width()) ==
                      qint64{4} * image.width();
        if (!written || image.size() != picture.size) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(file.fileName()));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool buttons = argc == 3 && std::strcmp(argv[1], "--buttons") == 0;
    if (argc != 3) {
        std::fprintf(stderr, "usage: icongen OUTDIR NAME | icongen --buttons OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[buttons ? 2 : 1]);
    const bool written = buttons ? WriteButtons(folder) : WriteIcons(folder, QString::fromLocal8Bit(argv[2]));
    return written ? 0 : 1;
}
