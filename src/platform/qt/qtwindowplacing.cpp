#include "platform/qt/qtwindowplacing.h"

#include <QGuiApplication>

bool WindowSystemPlacesWindows()
{
    // "wayland", "wayland-egl", "wayland-xcomposite-…": every Wayland flavour of the toolkit.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
