#include "platform/qt/qttextrenderer.h"

#include "platform/qt/qtbitmapimage.h"

#include <QFontDatabase>
#include <QStringDecoder>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Sans faces that stay legible at 9 pixels without smoothing, best hinted first.
constexpr const char* kSmallSansFaces[] = {
    "DejaVu Sans", "Liberation Sans", "Arial", "Noto Sans", "Nimbus Sans", "Helvetica",
};

// Whether family is installed, by its name or as an alias. The names are looked at first: resolving an
// alias asks fontconfig's rules, some 1 M instructions a family.
bool Installed(const QString& family)
{
    return QFontDatabase::families().contains(family) || QFontDatabase::hasFamily(family);
}

QString NearestSmallSans()
{
    for (const char* face : kSmallSansFaces) {
        const QString family = QString::fromLatin1(face);
        if (Installed(family))
            return family;
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

// A day's "HH:MM" texts and the cities' names fit, so in use the stencils are made once; a font with huge
// letters or endless new texts drops them all now and then.
constexpr std::size_t kMaxStencils = 2048;
constexpr std::size_t kMaxStencilBytes = std::size_t{4} << 20;

// The characters of the cities' times in every short time format; texts of other characters (the cities'
// names, made once) are laid out whole.
bool IsTimeCharacter(QChar character)
{
    return character.isDigit() || QStringView(u":. APMapm").contains(character);
}

} // namespace

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

int PointsToPixels(int points)
{
    return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

QtTextRenderer::QtTextRenderer() = default;
QtTextRenderer::~QtTextRenderer() = default;

QFont QtTextRenderer::ResolveFont(const MapFont& font)
{
    QString family = QString::fromStdString(font.face);
    // The stock face, a Windows bitmap font, is nobody's alias: unless installed by its name it stands
    // for the small sans at once, without asking fontconfig's rules (some 1 M instructions a start).
    const bool installed = font.face == kDefaultMapFontFace ? QFontDatabase::families().contains(family)
                                                             : Installed(family);
    if (family.isEmpty() || !installed)
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
        m_exactMetrics.emplace(m_font);
        m_fontKey = font;
        m_stencils.clear();
        m_stencilBytes = 0;
        m_characters.clear();
        m_sideBySide.clear();
    }
    m_target = &target;
}

QtTextRenderer::Stencil QtTextRenderer::MakeStencil(const QString& text) const
{
    Stencil stencil;
    stencil.advance = m_metrics->horizontalAdvance(text);
    // Room around the line for italic overhangs and marks above and below it.
    const int margin = m_metrics->height() + 4;
    QImage canvas(stencil.advance + 2 * margin, m_metrics->height() + 2 * margin, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), m_font);
    {
        QPainter painter(&canvas);
        painter.setFont(m_font);
        painter.setPen(Qt::white);
        painter.drawStaticText(QPoint(margin, margin), laid);
    }

    const int width = canvas.width();
    const int height = canvas.height();
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        // Most of the canvas is margin: each row is first read whole, without a branch, for any ink at all.
        QRgb ink = 0;
        bool shaded = false;
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = row[x] & 0x00FFFFFF;
            ink |= pixel;
            shaded |= pixel != 0 && pixel != 0x00FFFFFF;
        }
        if (shaded) {
            stencil.painted = laid; // shades of the colour: only QPainter can mix them with the map
            return stencil;
        }
        if (ink == 0)
            continue;
        int first = 0;
        while ((row[first] & 0x00FFFFFF) == 0)
            ++first;
        int last = width - 1;
        while ((row[last] & 0x00FFFFFF) == 0)
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    if (right < 0)
        return stencil;
    stencil.left = left - margin;
    stencil.top = top - margin;
    stencil.width = right - left + 1;
    stencil.height = bottom - top + 1;
    stencil.ink.resize(static_cast<std::size_t>(stencil.width) * static_cast<std::size_t>(stencil.height));
    for (int y = 0; y < stencil.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(top + y)) + left;
        for (int x = 0; x < stencil.width; ++x)
            stencil.ink[static_cast<std::size_t>(y) * stencil.width + x] = (row[x] & 0x00FFFFFF) != 0;
    }
    return stencil;
}

const std::optional<QtTextRenderer::Stencil>& QtTextRenderer::CharacterStencil(QChar character)
{
    if (const auto found = m_characters.find(character.unicode()); found != m_characters.end())
        return found->second;
    std::optional<Stencil> stencil = MakeStencil(QString(character));
    // A character set at a fraction of a pixel, or one that smooths, lands differently beside others.
    if (stencil->painted || m_exactMetrics->horizontalAdvance(character) != stencil->advance)
        stencil.reset();
    return m_characters.emplace(character.unicode(), std::move(stencil)).first->second;
}

bool QtTextRenderer::SideBySide(QChar first, QChar second)
{
    const std::uint32_t pair = (std::uint32_t{first.unicode()} << 16) | second.unicode();
    if (const auto found = m_sideBySide.find(pair); found != m_sideBySide.end())
        return found->second;
    // Kerning or a joined form would give the pair another width than its two characters side by side.
    const bool apart = m_exactMetrics->horizontalAdvance(QString(first) + second) ==
                       m_exactMetrics->horizontalAdvance(first) + m_exactMetrics->horizontalAdvance(second);
    return m_sideBySide.emplace(pair, apart).first->second;
}

std::optional<QtTextRenderer::Stencil> QtTextRenderer::ComposeFromCharacters(const QString& text)
{
    if (text.size() < 2 || !std::all_of(text.begin(), text.end(), IsTimeCharacter))
        return std::nullopt;
    // The ten digits are made together the first time: the frames of the minutes after make no stencil.
    if (!m_characters.contains(u'0'))
        for (char16_t digit = u'0'; digit <= u'9'; ++digit)
            CharacterStencil(QChar(digit));
    std::vector<const Stencil*> parts;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<Stencil>& part = CharacterStencil(text[i]);
        if (!part || (i > 0 && !SideBySide(text[i - 1], text[i])))
            return std::nullopt;
        parts.push_back(&*part);
    }

    Stencil stencil;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN; // inclusive
    for (const Stencil* part : parts) {
        if (part->width > 0) {
            left = std::min(left, stencil.advance + part->left);
            right = std::max(right, stencil.advance + part->left + part->width - 1);
            top = std::min(top, part->top);
            bottom = std::max(bottom, part->top + part->height - 1);
        }
        stencil.advance += part->advance;
    }
    if (right < left)
        return stencil;
    stencil.left = left;
    stencil.top = top;
    stencil.width = right - left + 1;
    stencil.height = bottom - top + 1;
    stencil.ink.assign(static_cast<std::size_t>(stencil.width) * static_cast<std::size_t>(stencil.height), 0);
    int origin = 0;
    for (const Stencil* part : parts) {
        for (int y = 0; y < part->height; ++y) {
            const std::uint8_t* from = part->ink.data() + static_cast<std::size_t>(y) * part->width;
            std::uint8_t* to = stencil.ink.data() + static_cast<std::size_t>(part->top + y - top) * stencil.width +
                               (origin + part->left - left);
            for (int x = 0; x < part->width; ++x)
                to[x] |= from[x];
        }
        origin += part->advance;
    }
    return stencil;
}

const QtTextRenderer::Stencil& QtTextRenderer::StencilOf(const std::string& text)
{
    if (const auto found = m_stencils.find(text); found != m_stencils.end())
        return found->second;
    if (m_stencils.size() >= kMaxStencils || m_stencilBytes >= kMaxStencilBytes) {
        m_stencils.clear();
        m_stencilBytes = 0;
    }
    const QString lettering = FromSettingsText(text);
    std::optional<Stencil> composed = ComposeFromCharacters(lettering);
    Stencil stencil = composed ? std::move(*composed) : MakeStencil(lettering);
    m_stencilBytes += text.size() + stencil.ink.size() + sizeof(Stencil);
    return m_stencils.emplace(text, std::move(stencil)).first->second;
}

TextExtent QtTextRenderer::Extent(const std::string& text)
{
    if (!m_metrics)
        return {};
    return {StencilOf(text).advance, m_metrics->height()};
}

void QtTextRenderer::Blit(int x, int y, const Stencil& stencil, Rgb color)
{
    // QPainter writes the top byte of what it paints as 0xFF.
    const Rgb ink = color | 0xFF000000;
    const int x0 = x + stencil.left;
    const int y0 = y + stencil.top;
    const int fromX = std::max(0, -x0);
    const int toX = std::min(stencil.width, m_target->Width() - x0);
    const int fromY = std::max(0, -y0);
    const int toY = std::min(stencil.height, m_target->Height() - y0);
    for (int row = fromY; row < toY; ++row) {
        const std::uint8_t* mask = stencil.ink.data() + static_cast<std::size_t>(row) * stencil.width;
        Rgb* out = m_target->Row(y0 + row) + x0;
        // Without branches, so that the compiler sets several pixels an instruction.
        for (int col = fromX; col < toX; ++col) {
            const Rgb inked = 0u - mask[col];
            out[col] = (out[col] & ~inked) | (ink & inked);
        }
    }
}

QPainter& QtTextRenderer::TargetPainter()
{
    if (!m_painter) {
        m_image = BitmapImage(*m_target);
        m_painter = std::make_unique<QPainter>(&m_image);
        m_painter->setFont(m_font);
    }
    return *m_painter;
}

void QtTextRenderer::Out(int x, int y, const std::string& text, Rgb color)
{
    if (!m_target || m_target->Width() == 0 || m_target->Height() == 0)
        return;
    const Stencil& stencil = StencilOf(text);
    if (!stencil.painted) {
        Blit(x, y, stencil, color);
        return;
    }
    QPainter& painter = TargetPainter();
    painter.setPen(QColor::fromRgb(color));
    painter.drawStaticText(QPoint(x, y), *stencil.painted);
}

void QtTextRenderer::End()
{
    m_painter.reset();
    m_image = QImage();
    m_target = nullptr;
}
