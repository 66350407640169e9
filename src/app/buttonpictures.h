// The pictures of the main window's buttons (minimize, close, the four beside the map, the maker's
// logo), drawn with Qt's painter. Only tools/icongen draws them, at build time, into raw premultiplied
// RGBA files the program carries as resources (main_pictures): the text of two of them would
// otherwise load two more font faces, and the drawing would cost every start.
#pragma once

#include <QImage>
#include <QSize>

enum class ButtonPicture { Minimize, Close, SetClock, ShowCal, Settings, Help, Logo };

struct ButtonPictureFile {
    ButtonPicture which;
    const char* name; // the resource's file name, without a folder
    QSize size;       // pixels
};

inline constexpr ButtonPictureFile kButtonPictures[] = {
    {ButtonPicture::Minimize, "minimize.rgba", {11, 11}}, {ButtonPicture::Close, "close.rgba", {11, 11}},
    {ButtonPicture::SetClock, "setclock.rgba", {19, 19}}, {ButtonPicture::ShowCal, "showcal.rgba", {19, 19}},
    {ButtonPicture::Settings, "settings.rgba", {19, 19}}, {ButtonPicture::Help, "help.rgba", {19, 19}},
    {ButtonPicture::Logo, "logo.rgba", {58, 15}},
};

// The entry of kButtonPictures for which.
constexpr const ButtonPictureFile& ButtonPictureOf(ButtonPicture which)
{
    return kButtonPictures[static_cast<int>(which)];
}

// The picture, Format_RGBA8888_Premultiplied (its bytes are the same on every machine).
QImage ButtonPictureImage(ButtonPicture which);
