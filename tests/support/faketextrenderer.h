// A text renderer for tests: every character is charWidth pixels wide and every line lineHeight
// high; it draws nothing and records what it was asked, in order.
#pragma once

#include "worldmap/textrenderer.h"

#include <string>
#include <vector>

class FakeTextRenderer final : public TextRenderer {
public:
    struct Output {
        int x = 0;
        int y = 0;
        std::string text;
        Rgb color = 0;
        bool operator==(const Output&) const = default;
    };

    int charWidth = 5;
    int lineHeight = 7;

    std::vector<std::string> events; // "begin", "out", "end"
    std::vector<Output> outputs;
    MapFont font;
    const Bitmap* target = nullptr;

    void Begin(Bitmap& bitmap, const MapFont& f) override
    {
        events.push_back("begin");
        target = &bitmap;
        font = f;
    }
    TextExtent Extent(const std::string& text) override
    {
        return {charWidth * static_cast<int>(text.size()), lineHeight};
    }
    void Out(int x, int y, const std::string& text, Rgb color) override
    {
        events.push_back("out");
        outputs.push_back({x, y, text, color});
    }
    void End() override { events.push_back("end"); }
};
