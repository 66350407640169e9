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
    void Blit(int x, int y, const Stencil& stencil, Rgb color);
    QPainter& TargetPainter();

    Bitmap* m_target = nullptr;
    QImage m_image; // over m_target's pixels, while a painter draws on them
    std::unique_ptr<QPainter> m_painter;
    std::optional<MapFont> m_fontKey; // the font m_font was resolved from
    QFont m_font;
    std::optional<QFontMetrics> m_metrics;
    std::unordered_map<std::string, Stencil> m_stencils; // texts in m_font
    std::size_t m_stencilBytes = 0;
};

// Text of the settings file or the city table for the screen: UTF-8, or Latin-1 where it is not.
QString FromSettingsText(const std::string& text);

// Pixels of a size in points at 96 dots per inch, at least 1.
int PointsToPixels(int points);
