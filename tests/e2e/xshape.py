#!/usr/bin/env python3
"""Small X11 helpers for the end-to-end tests, through the X libraries themselves (ctypes):
    xshape.py rects WINDOW        the bounding shape of WINDOW: "left top right bottom" per rectangle,
                                  right and bottom exclusive, in the order the server gives them
    xshape.py root-colour RRGGBB  paints the root window (the desktop) in that colour"""
import ctypes
import ctypes.util
import sys

SHAPE_BOUNDING = 0


class XRectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


def load(name, fallback):
    return ctypes.CDLL(ctypes.util.find_library(name) or fallback)


def main():
    x11 = load("X11", "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    if sys.argv[1] == "rects":
        xext = load("Xext", "libXext.so.6")
        xext.XShapeGetRectangles.restype = ctypes.POINTER(XRectangle)
        xext.XShapeGetRectangles.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                             ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
        count, ordering = ctypes.c_int(0), ctypes.c_int(0)
        rects = xext.XShapeGetRectangles(display, int(sys.argv[2], 0), SHAPE_BOUNDING,
                                         ctypes.byref(count), ctypes.byref(ordering))
        for i in range(count.value):
            r = rects[i]
            print(r.x, r.y, r.x + r.width, r.y + r.height)
    elif sys.argv[1] == "root-colour":
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XSetWindowBackground.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
        x11.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        root = x11.XDefaultRootWindow(display)
        # A 24-bit true-colour screen takes 0xRRGGBB as the pixel itself.
        x11.XSetWindowBackground(display, root, int(sys.argv[2], 16))
        x11.XClearWindow(display, root)
    x11.XCloseDisplay(display)


if __name__ == "__main__":
    main()
