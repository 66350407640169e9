// Where a place on the Earth lands on the map: the column and row of a longitude and latitude in
// each of the five map views, for a map of W × H pixels (316 × 158 built in).
//
// Views 0–2 show the whole world (view 0 as the picture is stored, views 1 and 2 turned so that
// America or Australasia is in the middle); views 3 and 4 show a region at three times the scale.
// Longitudes are in degrees WEST positive, latitudes north positive. Nothing is clamped: places
// outside a regional view give columns and rows outside the map.
#pragma once

#include "worldmap/mapviews.h"

struct MapGeometry {
    int width = 316;
    int height = 158;
    MapViewId view = MapViewId::WorldEurope;
    int lonShift = 0; // ViewLonShift: west-positive longitude of a turned or regional view's centre
    int latShift = 0; // ViewLatShift: a regional view shows 30 - shift .. 90 - shift degrees north

    // Pixels per degree of longitude and of latitude.
    double LonScale() const { return static_cast<double>(width / 2) / 180.0; }
    double LatScale() const { return static_cast<double>(height / 2) / 90.0; }
};

// The integer nearest to v, halves going to the even neighbour.
int Nearest(double v);

// Column of a west-positive longitude in degrees.
int LonToX(const MapGeometry& geometry, double westLongitude);
// Row of a north-positive latitude in degrees.
int LatToY(const MapGeometry& geometry, double latitude);
