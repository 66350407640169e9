#!/usr/bin/env python3
"""Small helpers for the end-to-end tests of the window's outline; X11 through its own libraries (ctypes).
    xshape.py rects WINDOW        the bounding shape of WINDOW: "left top right bottom" per rectangle,
                                  right and bottom exclusive, in the order the server gives them
    xshape.py root-colour RRGGBB  paints the root window (the desktop) in that colour; the server
                                  forgets it when its last client leaves
    xshape.py stored FILE         the rectangles of a stored outline ("Data": N, then region data)
    xshape.py compare PPM FILE RRGGBB
                                  of a screenshot of the window (binary PPM), counts the pixels outside
                                  the stored outline that are not RRGGBB and those inside that are"""
import ctypes
import ctypes.util
import re
import struct
import sys

SHAPE_BOUNDING = 0


class XRectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort)]


def load(name, fallback):
    return ctypes.CDLL(ctypes.util.find_library(name) or fallback)


def stored_rects(path):
    data = open(path, "rb").read()
    (n,) = struct.unpack_from("<i", data, 0)
    if n <= 0:
        return []
    size, kind, count, _buffer = struct.unpack_from("<4I", data, 4)
    assert size == 32 and kind == 1 and 4 + 32 + 16 * count <= len(data)
    return [struct.unpack_from("<4i", data, 36 + 16 * i) for i in range(count)]


def compare(ppm_path, shape_path, colour):
    raw = open(ppm_path, "rb").read()
    # One whitespace byte ends the header; the pixels may begin with bytes that look like more.
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", raw)
    width, height, pixels = int(header[1]), int(header[2]), raw[header.end():]
    rects = stored_rects(shape_path)
    want = bytes.fromhex(colour)
    outside_wrong = inside_desktop = 0
    for y in range(height):
        for x in range(width):
            inside = any(l <= x < r and t <= y < b for l, t, r, b in rects)
            at = 3 * (y * width + x)
            is_desktop = pixels[at:at + 3] == want
            outside_wrong += not inside and not is_desktop
            inside_desktop += inside and is_desktop
    print(outside_wrong, inside_desktop)


def main():
    if sys.argv[1] == "stored":
        for rect in stored_rects(sys.argv[2]):
            print(*rect)
        return
    if sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3], sys.argv[4])
        return
    x11 = load("X11", "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
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
        root = x11.XDefaultRootWindow(display)
        # A 24-bit true-colour screen takes 0xRRGGBB as the pixel itself.
        x11.XSetWindowBackground(display, root, int(sys.argv[2], 16))
        x11.XClearWindow(display, root)
    x11.XCloseDisplay(display)


if __name__ == "__main__":
    main()
