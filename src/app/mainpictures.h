// The small pictures of the main window, drawn in code: the minimize and close buttons, the four
// buttons beside the map, the maker's logo and the program's icon. The window's skin is a resource.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace main_pictures {

QPixmap Minimize(); // 11 × 11
QPixmap Close();    // 11 × 11
QPixmap SetClock(); // 19 × 19
QPixmap ShowCal();  // 19 × 19
QPixmap Settings(); // 19 × 19
QPixmap Help();     // 19 × 19
QPixmap Logo();     // 58 × 15
// The program's icon at every size in kProgramIconSizes (pixels), each drawn for its size.
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
void DrawProgramIcon(QPainter& painter, int size); // into (0, 0, size, size)
QImage ProgramIconImage(int size);
QIcon ProgramIcon();

} // namespace main_pictures
