#include "platform/windowregion.h"

// No window system call here: X11 and Wayland windows are shaped through the toolkit.
bool SetNativeWindowRegion(std::uintptr_t /*window*/, const std::vector<std::uint8_t>& /*regionData*/)
{
    return false;
}
