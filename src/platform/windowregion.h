// Platform service: gives a native top-level window the outline of a region. Where the platform
// has a call of its own for it (Windows), the window gets its own copy of the region each time, so
// the holder's region and the window's never share a handle; elsewhere the window toolkit shapes the
// window instead.
#pragma once

#include <cstdint>
#include <vector>

// Shapes window (an HWND on Windows) like the region whose data (a Windows RGNDATA: header, bounds,
// rectangles) is regionData, redrawing it; empty data gives back the plain rectangle. False when the
// platform has no such call or refused it.
bool SetNativeWindowRegion(std::uintptr_t window, const std::vector<std::uint8_t>& regionData);
