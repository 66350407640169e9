// The map's lettering drawn by the window toolkit: a QPainter on a QImage over the frame bitmap's
// own pixels. A face that is not installed (the default "Small Fonts" never is outside Windows)
// is replaced by the nearest small sans-serif face found; sizes in points are taken at 96 dots per
// inch, whatever the screen's scaling, so the map reads the same everywhere.
//
// Laying out a text costs far more than drawing it, and a frame draws each text twice (shadow and
// letters) with the same names frame after frame, so laid-out texts are kept while the font stays.
#pragma once

#include "worldmap/textrenderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStaticText>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

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
    struct Laid {
        QStaticText text;
        int width = 0;
    };
    const Laid& LaidOut(const std::string& text);

    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    std::optional<MapFont> m_fontKey; // the font m_font was resolved from
    QFont m_font;
    std::optional<QFontMetrics> m_metrics;
    std::unordered_map<std::string, Laid> m_laid; // texts laid out in m_font
};

// Pixels of a size in points at 96 dots per inch, at least 1.
int PointsToPixels(int points);
