// Platform service: gives a native top-level window the outline of a skin region. Where the platform
// has a call of its own for it (Windows), the window gets its own copy of the region each time, so
// the holder's region and the window's never share a handle; elsewhere the window toolkit shapes the
// window instead.
#pragma once

#include <cstdint>

class TSkinRegion;

// Shapes window (an HWND on Windows) like region, redrawing it; an empty region gives back the plain
// rectangle. False when the platform has no such call or refused it.
bool SetNativeWindowRegion(std::uintptr_t window, const TSkinRegion& region);
