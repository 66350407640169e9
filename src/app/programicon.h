// The program's icon, drawn for each of its sizes. Only tools/icongen draws it, at build time: the
// program carries the pictures (main_pictures::ProgramIcon) and the icon theme gets the same ones.
#pragma once

#include <QImage>

inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// The window carries the sizes up to this, those a window's icon is shown at; the icon theme has all.
inline constexpr int kLargestWindowIcon = 64;

// The icon at size × size pixels, drawn afresh for that size, never scaled from another.
QImage ProgramIconImage(int size);
