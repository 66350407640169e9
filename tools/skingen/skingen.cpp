// skingen: draws the main window's skin, a 409 × 225 picture of a panel with rounded corners and a
// raised tab along its top edge, on the corner colour RGB (128, 128, 64); and computes, once, the
// window's shape from it: every pixel of columns 0 to 407 whose colour is not the corner colour, as
// horizontal bands of rectangles from the top, stored as "Data" (see components/USkinEd.h).
//
// Usage: skingen <output folder>    writes skin.bmp and skin.shape there (resources/skin/).
// The program never computes the shape itself; it reads the stored one. Run this only when the
// picture changes, and commit both files together.
#include "components/USkinEd.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr int kWidth = 409;
constexpr int kHeight = 225;
// The last column stays corner colour, outside the shape.
constexpr int kShapeWidth = 408;
const QColor kCorner(128, 128, 64);

const QColor kEdgeDark(22, 26, 34);
const QColor kEdgeLight(120, 132, 158);
const QColor kAccent(0, 200, 220);

// The outline, in pixel edges: a body from row 11 down, and a tab with small round corners over x 118
// to 397 from row 0. A pixel is inside when its centre is; with the body's corners of radius 35.5 that
// makes the body reach the full width from row 41 to row 194.
QPainterPath Outline()
{
    QPainterPath body;
    body.addRoundedRect(QRectF(0, 11, kShapeWidth, kHeight - 11), 35.5, 35.5);
    QPainterPath tab;
    tab.addRoundedRect(QRectF(118, 0, 398 - 118, 40), 7, 7);
    return body.united(tab).simplified();
}

bool IsInside(const QImage& mask, int x, int y)
{
    return x >= 0 && y >= 0 && x < mask.width() && y < mask.height() && mask.pixelColor(x, y) != kCorner;
}

QImage DrawSkin()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kCorner);
    const QPainterPath outline = Outline();

    // The body: aliased, so every pixel of the outline is either wholly the panel or wholly the corner
    // colour and the desktop never shows a fringe of it.
    QImage mask = image.copy();
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillPath(outline, Qt::black);
    }
    {
        QImage face(kWidth, kHeight, QImage::Format_RGB32);
        QPainter p(&face);
        QLinearGradient gradient(0, 0, 0, kHeight);
        gradient.setColorAt(0, QColor(70, 80, 102));
        gradient.setColorAt(0.5, QColor(44, 51, 66));
        gradient.setColorAt(1, QColor(30, 35, 46));
        p.fillRect(face.rect(), gradient);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kShapeWidth; ++x)
                if (IsInside(mask, x, y))
                    image.setPixel(x, y, face.pixel(x, y));
    }
    // A bevel two pixels deep: a dark rim, then light on the upper-left side and dark on the lower-right.
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kShapeWidth; ++x) {
            if (!IsInside(mask, x, y))
                continue;
            const bool rim = !IsInside(mask, x - 1, y) || !IsInside(mask, x + 1, y) || !IsInside(mask, x, y - 1) ||
                             !IsInside(mask, x, y + 1);
            if (rim) {
                image.setPixelColor(x, y, kEdgeDark);
            } else if (!IsInside(mask, x - 2, y) || !IsInside(mask, x, y - 2)) {
                image.setPixelColor(x, y, kEdgeLight);
            } else if (!IsInside(mask, x + 2, y) || !IsInside(mask, x, y + 2)) {
                image.setPixelColor(x, y, kEdgeDark.lighter(160));
            }
        }
    }

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipPath(outline);
    // A recessed frame around the map area.
    p.setPen(QPen(kEdgeDark, 2));
    p.drawRect(QRectF(45, 37, 320, 162));
    p.setPen(QPen(kEdgeLight.darker(130), 1));
    p.drawLine(QPointF(44, 200.5), QPointF(366, 200.5));
    p.drawLine(QPointF(366.5, 36), QPointF(366.5, 200));
    // The program's name on the body left of the tab, engraved.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kEdgeDark);
    p.drawText(QPointF(31, 30), QStringLiteral("Chronivo"));
    p.setPen(kAccent);
    p.drawText(QPointF(30, 29), QStringLiteral("Chronivo"));
    p.end();

    // No pixel inside may come out as the corner colour by chance, or the shape would have a hole.
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kShapeWidth; ++x)
            if (IsInside(mask, x, y) && image.pixelColor(x, y) == kCorner)
                image.setPixelColor(x, y, QColor(128, 128, 65));
    return image;
}

// The pixels of columns 0 to kShapeWidth - 1 that are not the corner colour, as bands: each run of
// rows with the same spans becomes one row of rectangles, the layout the window system keeps.
std::vector<SkinRect> ShapeOf(const QImage& image)
{
    auto spansOf = [&image](int y) {
        std::vector<std::pair<int, int>> spans;
        int x = 0;
        while (x < kShapeWidth) {
            while (x < kShapeWidth && image.pixelColor(x, y) == kCorner)
                ++x;
            const int start = x;
            while (x < kShapeWidth && image.pixelColor(x, y) != kCorner)
                ++x;
            if (x > start)
                spans.emplace_back(start, x);
        }
        return spans;
    };
    std::vector<SkinRect> rects;
    int y = 0;
    while (y < kHeight) {
        const auto spans = spansOf(y);
        int end = y + 1;
        while (end < kHeight && spansOf(end) == spans)
            ++end;
        for (const auto& [left, right] : spans)
            rects.push_back({left, y, right, end});
        y = end;
    }
    return rects;
}

void Put(std::vector<char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

// A 24-bit BMP, rows bottom-up, each padded to four bytes.
std::vector<char> Bmp24(const QImage& image)
{
    const int stride = (image.width() * 3 + 3) / 4 * 4;
    const auto pixels = static_cast<std::uint32_t>(stride * image.height());
    std::vector<char> out;
    out.push_back('B');
    out.push_back('M');
    Put(out, 54 + pixels, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);
    Put(out, 40, 4);
    Put(out, static_cast<std::uint32_t>(image.width()), 4);
    Put(out, static_cast<std::uint32_t>(image.height()), 4);
    Put(out, 1, 2);
    Put(out, 24, 2);
    Put(out, 0, 4);
    Put(out, pixels, 4);
    Put(out, 2835, 4);
    Put(out, 2835, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            out.push_back(static_cast<char>(qBlue(c)));
            out.push_back(static_cast<char>(qGreen(c)));
            out.push_back(static_cast<char>(qRed(c)));
        }
        for (int pad = image.width() * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

bool WriteFile(const std::string& path, const char* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary);
    file.write(data, static_cast<std::streamsize>(size));
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: skingen <output folder>\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const std::string folder = argv[1];

    const QImage skin = DrawSkin();
    TSkinRegion shape;
    if (!shape.SetRects(ShapeOf(skin))) {
        std::fputs("skingen: the picture has no shape\n", stderr);
        return 1;
    }
    const std::vector<char> bmp = Bmp24(skin);
    const std::vector<std::uint8_t> data = shape.WriteData();
    if (!WriteFile(folder + "/skin.bmp", bmp.data(), bmp.size()) ||
        !WriteFile(folder + "/skin.shape", reinterpret_cast<const char*>(data.data()), data.size())) {
        std::fprintf(stderr, "skingen: cannot write into %s\n", folder.c_str());
        return 1;
    }
    const SkinRect& b = shape.Bounds();
    std::printf("skin.bmp: %d x %d, 24 bits; skin.shape: %zu bytes, %zu rectangles, bounds %d %d %d %d\n", skin.width(),
                skin.height(), data.size(), shape.Rects().size(), b.left, b.top, b.right, b.bottom);
    return 0;
}
