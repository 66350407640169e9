#include "worldmap/mapgeometry.h"

#include <cmath>

int Nearest(double v)
{
    // The program never leaves the floating-point rounding mode, to nearest with ties to even.
    return static_cast<int>(std::nearbyint(v));
}

int LonToX(const MapGeometry& geometry, double westLongitude)
{
    const int halfWidth = geometry.width / 2;
    switch (ProjectionOf(geometry.view)) {
    case MapProjection::World:
        return Nearest(halfWidth - westLongitude * geometry.LonScale() + 1);
    case MapProjection::TurnedWorld: {
        // Only columns beyond the right edge wrap; a column equal to the width stays off the map.
        const int x = Nearest(halfWidth - (westLongitude - geometry.lonShift) * geometry.LonScale() + 1);
        return x > geometry.width ? x - geometry.width : x;
    }
    case MapProjection::Regional:
        break;
    }
    return Nearest(halfWidth - 3 * (westLongitude - geometry.lonShift) * geometry.LonScale());
}

int LatToY(const MapGeometry& geometry, double latitude)
{
    const int halfHeight = geometry.height / 2;
    if (ProjectionOf(geometry.view) == MapProjection::Regional)
        return Nearest(3 * (halfHeight - (latitude + geometry.latShift) * geometry.LatScale())) - 1;
    return halfHeight - Nearest(latitude * geometry.LatScale());
}
