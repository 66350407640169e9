// Lettering on a Bitmap. Text is the one part of a map frame that the core does not draw itself:
// it asks a TextRenderer, which the window toolkit implements on the same pixel buffer (and tests
// replace with a recording fake).
#pragma once

#include "worldmap/bitmap.h"

#include <string>

// The styles of a font, any together.
struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const FontStyle&) const = default;
};

// The map's lettering until another is chosen (also the settings file's default).
inline constexpr const char* kDefaultMapFontFace = "Small Fonts";
inline constexpr int kDefaultMapFontPoints = 7;

// The lettering of the map: a face name, a size in points and a style.
struct MapFont {
    std::string face = kDefaultMapFontFace;
    int points = kDefaultMapFontPoints;
    FontStyle style;
    bool operator==(const MapFont&) const = default;
};

// Width and height of a text in pixels.
struct TextExtent {
    int width = 0;
    int height = 0;
    bool operator==(const TextExtent&) const = default;
};

class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    // Starts lettering on target in font; Extent and Out are called only between Begin and End,
    // and target is not resized or moved in between. Texts are UTF-8.
    virtual void Begin(Bitmap& target, const MapFont& font) = 0;
    // The advance width and the line height of text in the current font, pixels.
    virtual TextExtent Extent(const std::string& text) = 0;
    // Draws text in color with the top-left corner of its line at (x, y); the background stays,
    // and what falls outside the target is clipped.
    virtual void Out(int x, int y, const std::string& text, Rgb color) = 0;
    // Finishes lettering: every pixel drawn is in the target when End returns.
    virtual void End() = 0;
};
