// The map's lettering drawn by the window toolkit: a QPainter on a QImage over the frame bitmap's
// own pixels. A face that is not installed (the default "Small Fonts" never is outside Windows)
// is replaced by the nearest small sans-serif face found; sizes in points are taken at 96 dots per
// inch, whatever the screen's scaling, so the map reads the same everywhere.
#pragma once

#include "worldmap/textrenderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <memory>
#include <optional>

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
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    std::optional<MapFont> m_fontKey; // the font m_font was resolved from
    QFont m_font;
    std::optional<QFontMetrics> m_metrics;
};

// Pixels of a size in points at 96 dots per inch, at least 1.
int PointsToPixels(int points);
