// The program's icon, drawn for each of its sizes. Only tools/icongen draws it, at build time: the
// program carries the pictures (main_pictures::ProgramIcon) and the icon theme gets the same ones.
#pragma once

#include <QImage>

inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The icon at size × size pixels, drawn afresh for that size, never scaled from another.
QImage ProgramIconImage(int size);
