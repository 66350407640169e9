#include "app/windowplace.h"

#include <algorithm>
#include <limits>

namespace {

bool Inside(const PlaceRect& inner, const PlaceRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

// The squared gap between two rectangles; 0 when they meet or overlap.
long long Gap(const PlaceRect& a, const PlaceRect& b)
{
    const long long dx = std::max({0, b.left - (a.left + a.width), a.left - (b.left + b.width)});
    const long long dy = std::max({0, b.top - (a.top + a.height), a.top - (b.top + b.height)});
    return dx * dx + dy * dy;
}

// start within [low, low + room - length], or low when the length does not fit.
int Clamp(int start, int length, int low, int room)
{
    return std::max(low, std::min(start, low + room - length));
}

} // namespace

PlacePoint PlaceOnScreen(PlacePoint saved, PlaceRect window, PlaceRect grip, const std::vector<PlaceRect>& screens)
{
    const PlaceRect placedGrip{saved.x + grip.left, saved.y + grip.top, grip.width, grip.height};
    if (screens.empty() ||
        std::any_of(screens.begin(), screens.end(), [&](const PlaceRect& s) { return Inside(placedGrip, s); }))
        return saved;
    const PlaceRect placed{saved.x, saved.y, window.width, window.height};
    const PlaceRect* nearest = &screens.front();
    long long nearestGap = std::numeric_limits<long long>::max();
    for (const PlaceRect& screen : screens)
        if (const long long gap = Gap(placed, screen); gap < nearestGap) {
            nearest = &screen;
            nearestGap = gap;
        }
    return {Clamp(saved.x, window.width, nearest->left, nearest->width),
            Clamp(saved.y, window.height, nearest->top, nearest->height)};
}
