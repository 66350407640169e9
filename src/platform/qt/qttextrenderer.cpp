#include "platform/qt/qttextrenderer.h"

#include "platform/qt/qtbitmapimage.h"

#include <QFontDatabase>
#include <QStringDecoder>
#include <cmath>

namespace {

// Sans faces that stay legible at 9 pixels without smoothing, best hinted first.
constexpr const char* kSmallSansFaces[] = {
    "DejaVu Sans", "Liberation Sans", "Arial", "Noto Sans", "Nimbus Sans", "Helvetica",
};

QString NearestSmallSans()
{
    for (const char* face : kSmallSansFaces) {
        const QString family = QString::fromLatin1(face);
        if (QFontDatabase::hasFamily(family))
            return family;
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

// City names come from a settings file that older versions wrote in the Windows code page; text
// that is not UTF-8 is read as Latin-1, its nearest relative.
QString FromSettingsText(const std::string& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString result = decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (decoder.hasError())
        result = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    return result;
}

} // namespace

int PointsToPixels(int points)
{
    return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

QtTextRenderer::QtTextRenderer() = default;
QtTextRenderer::~QtTextRenderer() = default;

QFont QtTextRenderer::ResolveFont(const MapFont& font)
{
    QString family = QString::fromStdString(font.face);
    if (family.isEmpty() || !QFontDatabase::hasFamily(family))
        family = NearestSmallSans();
    QFont result(family);
    result.setPixelSize(PointsToPixels(font.points));
    result.setBold(font.style.bold);
    result.setItalic(font.style.italic);
    result.setUnderline(font.style.underline);
    // Crisp one-colour glyphs: the label's black shadow must not bleed into its aqua letters.
    result.setStyleStrategy(QFont::NoAntialias);
    result.setHintingPreference(QFont::PreferFullHinting);
    return result;
}

void QtTextRenderer::Begin(Bitmap& target, const MapFont& font)
{
    End();
    if (!m_fontKey || *m_fontKey != font) {
        m_font = ResolveFont(font);
        m_metrics.emplace(m_font);
        m_fontKey = font;
    }
    m_image = BitmapImage(target);
    if (m_image.isNull())
        return;
    m_painter = std::make_unique<QPainter>(&m_image);
    m_painter->setFont(m_font);
}

TextExtent QtTextRenderer::Extent(const std::string& text)
{
    if (!m_metrics)
        return {};
    return {m_metrics->horizontalAdvance(FromSettingsText(text)), m_metrics->height()};
}

void QtTextRenderer::Out(int x, int y, const std::string& text, Rgb color)
{
    if (!m_painter)
        return;
    m_painter->setPen(QColor::fromRgb(color));
    m_painter->drawText(QPoint(x, y + m_metrics->ascent()), FromSettingsText(text));
}

void QtTextRenderer::End()
{
    m_painter.reset();
    m_image = QImage();
}
