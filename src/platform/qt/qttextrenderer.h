// The map's lettering drawn by the window toolkit. A face that is not installed (the default "Small
// Fonts" never is outside Windows) is replaced by the nearest small sans-serif face found; sizes in
// points are taken at 96 dots per inch, whatever the screen's scaling, so the map reads the same
// everywhere.
//
// Laying out and painting a text costs far more than setting its pixels, and a frame draws each text
// twice (shadow and letters) with the same names frame after frame and the same few hundred times day
// after day. So each text is painted once by QPainter, without smoothing, into a one-colour stencil
// kept while the font stays; lettering a frame then only sets the stencil's pixels to the colour, the
// very pixels QPainter would set. A text whose stencil is not one-colour (a face that smooths
// regardless) is painted by QPainter on the frame each time instead.
//
// The cities' times are new texts every minute. A text of the characters times are written with is put
// together from its characters' stencils wherever the font sets those characters side by side: each at
// a whole pixel, no pair of them kerned. QPainter then sets the same pixels, at a small part of the cost.
#pragma once

#include "worldmap/textrenderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStaticText>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QtTextRenderer final : public TextRenderer {
public:
    QtTextRenderer();
    ~QtTextRenderer() override;

    void Begin(Bitmap& target, const MapFont& font) override;
    TextExtent Extent(const std::string& text) override;
    void Out(int x, int y, const std::string& text, Rgb color) override;
    void End() override;

    // The font that font stands for on this system.
    static QFont ResolveFont(const MapFont& font);

private:
    // A text's ink: the pixels QPainter sets when the line's top-left corner is at (0, 0), as a
    // width × height box of 0/1 bytes at (left, top) from that corner.
    struct Stencil {
        int advance = 0;
        int left = 0, top = 0, width = 0, height = 0;
        std::vector<std::uint8_t> ink;
        std::optional<QStaticText> painted; // set when the text must be painted each time
    };
    const Stencil& StencilOf(const std::string& text);
    Stencil MakeStencil(const QString& text) const;
    // text put together from its characters' stencils; nothing when the font does not set them side by side.
    std::optional<Stencil> ComposeFromCharacters(const QString& text);
    // The stencil of one character, kept; nothing when it cannot take part in a put-together text.
    const std::optional<Stencil>& CharacterStencil(QChar character);
    // True when the font sets first and second next to each other with their own advances.
    bool SideBySide(QChar first, QChar second);
    void Blit(int x, int y, const Stencil& stencil, Rgb color);
    QPainter& TargetPainter();

    Bitmap* m_target = nullptr;
    QImage m_image; // over m_target's pixels, while a painter draws on them
    std::unique_ptr<QPainter> m_painter;
    std::optional<MapFont> m_fontKey; // the font m_font was resolved from
    QFont m_font;
    std::optional<QFontMetrics> m_metrics;
    std::optional<QFontMetricsF> m_exactMetrics;
    std::unordered_map<std::string, Stencil> m_stencils; // texts in m_font
    std::unordered_map<char16_t, std::optional<Stencil>> m_characters;
    std::unordered_map<std::uint32_t, bool> m_sideBySide; // pairs of characters, first one in the high half
    std::size_t m_stencilBytes = 0;
};

// Text of the settings file or the city table for the screen: UTF-8, or Latin-1 where it is not.
QString FromSettingsText(const std::string& text);

// Pixels of a size in points at 96 dots per inch, at least 1.
int PointsToPixels(int points);
