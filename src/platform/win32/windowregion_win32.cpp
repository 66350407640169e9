#include "platform/windowregion.h"

#include <windows.h>

// SetWindowRgn hands the region to the system, which deletes it with the window or when the next one
// replaces it. The window therefore gets a region made for it each time, and the holder's data is
// never tied to a handle the system owns.
bool SetNativeWindowRegion(std::uintptr_t window, const std::vector<std::uint8_t>& data)
{
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (data.empty())
        return SetWindowRgn(hwnd, nullptr, TRUE) != 0;
    const HRGN copy =
        ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data()));
    if (!copy)
        return false;
    if (SetWindowRgn(hwnd, copy, TRUE) == 0) {
        // Not taken: still ours to delete.
        DeleteObject(copy);
        return false;
    }
    return true;
}
