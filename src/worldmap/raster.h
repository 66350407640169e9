// Software drawing on a Bitmap: the rectangle copies, fills and ellipses that a map frame is made
// of. Every operation clips to the bitmap it draws on, so figures may lie partly or wholly outside.
//
// Rectangles are given by their top-left corner and the column and row just past their bottom-right
// corner: the right column and the bottom row are outside. Ellipses follow the same rule, so an
// ellipse in (x − 2, y − 2)–(x + 2, y + 2) covers 4 × 4 pixels. Wide-pen lines and the flood fill
// of the shadow live in rasterpaths.h.
#pragma once

#include "worldmap/bitmap.h"

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;  // first column outside
    int bottom = 0; // first row outside
};

// The whole of a bitmap as a rectangle.
inline Rect BoundsOf(const Bitmap& bitmap)
{
    return {0, 0, bitmap.Width(), bitmap.Height()};
}

// Copies the pixels of source's rectangle `from` unchanged onto target, from's top-left corner
// landing at (x, y). Only pixels inside both bitmaps are copied; source and target may be the
// same bitmap, overlapping or not.
void CopyRect(Bitmap& target, int x, int y, const Bitmap& source, const Rect& from);

// Fills the rectangle with color.
void FillRect(Bitmap& target, const Rect& rect, Rgb color);

// Draws the ellipse inscribed in box, its inside filled with brush and its one-pixel outline in
// pen. A pixel belongs to the ellipse when its centre lies inside or on the ellipse; the outline
// is each such pixel with a neighbour above, below, left or right outside it. An empty box draws
// nothing.
void Ellipse(Bitmap& target, const Rect& box, Rgb brush, Rgb pen);

// The top byte that the window toolkit needs in a bitmap it shows as it is (see bitmap.h). Colours
// or'ed with it draw as themselves.
inline constexpr Rgb kOpaque = 0xFF000000;

// Sets the top byte of every pixel, colours unchanged.
void MakeOpaque(Bitmap& target);

// Copies source onto target at (0, 0), clipped to both, setting the top byte of every pixel copied.
void CopyOpaque(Bitmap& target, const Bitmap& source);
