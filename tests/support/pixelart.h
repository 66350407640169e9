// Pictures in tests written as text: one character a pixel, a legend mapping characters to colours,
// so an expected figure reads as what it looks like and a failure prints the two side by side.
#pragma once

#include "worldmap/bitmap.h"

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

using PixelLegend = std::map<char, Rgb>;

// The rows of bitmap's rectangle (x, y, width, height) as text; '?' for a colour not in the legend.
inline std::vector<std::string> Art(const Bitmap& bitmap, const PixelLegend& legend, int x, int y, int width,
                                    int height)
{
    std::vector<std::string> rows;
    for (int row = y; row < y + height; ++row) {
        std::string line;
        for (int column = x; column < x + width; ++column) {
            char c = '?';
            for (const auto& [key, color] : legend)
                if (bitmap.Pixel(column, row) == color)
                    c = key;
            line += c;
        }
        rows.push_back(line);
    }
    return rows;
}

inline std::vector<std::string> Art(const Bitmap& bitmap, const PixelLegend& legend)
{
    return Art(bitmap, legend, 0, 0, bitmap.Width(), bitmap.Height());
}

inline std::vector<std::string> Lines(std::initializer_list<const char*> lines)
{
    return {lines.begin(), lines.end()};
}
