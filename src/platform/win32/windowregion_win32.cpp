#include "platform/windowregion.h"

#include "components/USkinEd.h"

#include <vector>
#include <windows.h>

// SetWindowRgn hands the region to the system, which deletes it with the window or when the next one
// replaces it. The window therefore gets a region made for it each time, and the holder's data is
// never tied to a handle the system owns.
bool SetNativeWindowRegion(std::uintptr_t window, const TSkinRegion& region)
{
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (region.Empty())
        return SetWindowRgn(hwnd, nullptr, TRUE) != 0;
    const std::vector<std::uint8_t> data = region.RegionData();
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
