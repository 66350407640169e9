// Whether the window system lets a program place its own windows. X11 and Windows do: move() puts the
// window where asked, and pos() says where it is. Wayland does neither: the compositor places the
// window, moves it only through its own interactive move, and never tells the program where it is.
#pragma once

// True when move() is honoured and pos() is the window's real place on the screen.
bool WindowSystemPlacesWindows();
