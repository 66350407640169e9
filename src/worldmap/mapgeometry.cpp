#include "worldmap/mapgeometry.h"

#include <cmath>

namespace {

// Views above 4 follow the regional geometry, negative ones that of the turned world views.
enum class Kind { World, TurnedWorld, Regional };

Kind KindOf(int view)
{
    if (view == 0)
        return Kind::World;
    if (view < 0 || view == 1 || view == 2)
        return Kind::TurnedWorld;
    return Kind::Regional;
}

} // namespace

int Nearest(double v)
{
    // The program never leaves the floating-point rounding mode, to nearest with ties to even.
    return static_cast<int>(std::nearbyint(v));
}

int LonToX(const MapGeometry& geometry, double westLongitude)
{
    const int halfWidth = geometry.width / 2;
    switch (KindOf(geometry.view)) {
    case Kind::World:
        return Nearest(halfWidth - westLongitude * geometry.LonScale() + 1);
    case Kind::TurnedWorld: {
        // Only columns beyond the right edge wrap; a column equal to the width stays off the map.
        const int x = Nearest(halfWidth - (westLongitude - geometry.lonShift) * geometry.LonScale() + 1);
        return x > geometry.width ? x - geometry.width : x;
    }
    case Kind::Regional:
        break;
    }
    return Nearest(halfWidth - 3 * (westLongitude - geometry.lonShift) * geometry.LonScale());
}

int LatToY(const MapGeometry& geometry, double latitude)
{
    const int halfHeight = geometry.height / 2;
    if (KindOf(geometry.view) == Kind::Regional)
        return Nearest(3 * (halfHeight - (latitude + geometry.latShift) * geometry.LatScale())) - 1;
    return halfHeight - Nearest(latitude * geometry.LatScale());
}
