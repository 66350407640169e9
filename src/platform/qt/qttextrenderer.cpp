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

constexpr std::size_t kMaxLaidTexts = 256;

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
        m_laid.clear();
    }
    m_image = BitmapImage(target);
    if (m_image.isNull())
        return;
    m_painter = std::make_unique<QPainter>(&m_image);
    m_painter->setFont(m_font);
}

const QtTextRenderer::Laid& QtTextRenderer::LaidOut(const std::string& text)
{
    if (const auto found = m_laid.find(text); found != m_laid.end())
        return found->second;
    // The names stay; the times change every minute and are dropped now and then.
    if (m_laid.size() >= kMaxLaidTexts)
        m_laid.clear();
    const QString string = FromSettingsText(text);
    Laid laid{QStaticText(string), m_metrics->horizontalAdvance(string)};
    laid.text.setTextFormat(Qt::PlainText);
    laid.text.prepare(QTransform(), m_font);
    return m_laid.emplace(text, std::move(laid)).first->second;
}

TextExtent QtTextRenderer::Extent(const std::string& text)
{
    if (!m_metrics)
        return {};
    return {LaidOut(text).width, m_metrics->height()};
}

void QtTextRenderer::Out(int x, int y, const std::string& text, Rgb color)
{
    if (!m_painter)
        return;
    m_painter->setPen(QColor::fromRgb(color));
    m_painter->drawStaticText(QPoint(x, y), LaidOut(text).text);
}

void QtTextRenderer::End()
{
    m_painter.reset();
    m_image = QImage();
}
