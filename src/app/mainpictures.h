// The small pictures of the main window, all drawn at build time (tools/icongen) and carried as
// resources: the minimize and close buttons, the four buttons beside the map, the maker's logo
// (app/buttonpictures) and the program's icon. The window's skin picture is prepared at build time
// too, and drawn from the program's read-only data.
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
// The program's icon as drawn at build time, at the sizes of kProgramIconSizes (app/programicon.h) up
// to 64 pixels.
QIcon ProgramIcon();
// The window's skin picture as a transparent skin draws it (TSkinForm::UsePreparedPicture), wrapping
// the program's read-only data, and its key colour; a null picture should the carried data be damaged.
QImage Skin(QRgb& key);

} // namespace main_pictures
