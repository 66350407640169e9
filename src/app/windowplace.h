// Where the main window opens: the saved place, unless that would leave the part of the window a
// user needs to take hold of it (the strip along its top with the read-out and the minimize and
// close buttons) off every screen, as after a screen was taken away or made smaller. Such a place is
// moved into the nearest screen's available area. Everything here is in one coordinate system, the
// desktop's, in pixels.
#pragma once

#include <vector>

struct PlaceRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PlaceRect&) const = default;
};

struct PlacePoint {
    int x = 0;
    int y = 0;
    bool operator==(const PlacePoint&) const = default;
};

// saved: the window's top-left corner as saved; window: its size (left and top ignored); grip: the
// part that must be seen, relative to the window's corner; screens: each screen's available area
// (none: the saved place). Answers saved when the grip lies wholly on one screen, else the corner that
// puts the whole window inside the nearest screen (its top-left part, when the window is larger).
PlacePoint PlaceOnScreen(PlacePoint saved, PlaceRect window, PlaceRect grip, const std::vector<PlaceRect>& screens);
