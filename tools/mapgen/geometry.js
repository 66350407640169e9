// Map geometry shared by the generator and the self-check.
//
// The program places a city with LonToX / LatToY; the pictures must be drawn with the inverse of exactly
// those formulas, or dots drift off their coasts. Longitudes handed to the program's geometry are WEST
// positive; everything else in this tool uses east-positive longitudes (as the map data does).

export const W = 316;
export const H = 158;
const HALF_W = Math.trunc(W / 2); // 158
const HALF_H = Math.trunc(H / 2); // 79
const K_LON = HALF_W / 180; // pixels per degree of longitude at world scale
const K_LAT = HALF_H / 90; // pixels per degree of latitude at world scale

// The three built-in pictures. `view` is the program's map view number the picture is drawn for.
export const PICTURES = [
    { name: 'world', file: 'world.bmp', view: 0 },
    { name: 'europe', file: 'europe.bmp', view: 3, lonShift: -40, latShift: 20 },
    { name: 'namerica', file: 'namerica.bmp', view: 4, lonShift: 110, latShift: 10 },
];

// Integer nearest to v, halves to the even neighbour (the program's rounding).
export function nearest(v) {
    const f = Math.floor(v);
    const d = v - f;
    if (d < 0.5) return f;
    if (d > 0.5) return f + 1;
    return f % 2 === 0 ? f : f + 1;
}

// Column of a west-positive longitude (degrees) in the picture's view, as the program computes it.
export function lonToX(pic, lonWest) {
    if (pic.view === 0) return nearest(HALF_W - lonWest * K_LON + 1);
    return nearest(HALF_W - 3 * (lonWest - pic.lonShift) * K_LON);
}

// Row of a latitude (degrees, north positive) in the picture's view, as the program computes it.
export function latToY(pic, lat) {
    if (pic.view === 0) return HALF_H - nearest(lat * K_LAT);
    return nearest(3 * (HALF_H - (lat + pic.latShift) * K_LAT)) - 1;
}

// The same formulas before rounding, as a linear map from (east-positive longitude, latitude) in degrees to
// continuous pixel coordinates: x = x0 + pxPerDeg * lonEast, y = y0 - pxPerDeg * lat. Pixel (X, Y) has its
// centre at (X, Y) in these coordinates, so the picture covers [-0.5, W - 0.5] x [-0.5, H - 0.5].
export function linearMap(pic) {
    if (pic.view === 0) return { x0: HALF_W + 1, y0: HALF_H, pxPerDeg: K_LON };
    return {
        x0: HALF_W + 3 * pic.lonShift * K_LON,
        y0: 3 * (HALF_H - pic.latShift * K_LAT) - 1,
        pxPerDeg: 3 * K_LON,
    };
}

// Longitude (east positive) and latitude of a continuous pixel coordinate: the inverse of linearMap.
export function pixelToLonLat(pic, x, y) {
    const m = linearMap(pic);
    return [(x - m.x0) / m.pxPerDeg, (m.y0 - y) / m.pxPerDeg];
}

if (K_LON !== K_LAT) throw new Error('the projection assumes square degrees');

// Cities whose dots must stand on land, with the dot pixels the program computes for views 0, 3 and 4.
// Coastal cities may miss by one pixel at world scale, where a coast is one pixel wide.
export const CITY_DOTS = [
    { name: 'London', lon: 0, lat: 52, coastal: false, at: { 0: [159, 33], 3: [53, 46], 4: [448, 73] } },
    { name: 'Amsterdam', lon: 5, lat: 52, coastal: true, at: { 0: [163, 33], 3: [66, 46], 4: [461, 73] } },
    { name: 'Moscow', lon: 38, lat: 56, coastal: false, at: { 0: [192, 30], 3: [153, 36], 4: [548, 62] } },
    { name: 'New York', lon: -74, lat: 41, coastal: true, at: { 0: [94, 43], 3: [-142, 75], 4: [253, 102] } },
    { name: 'Chicago', lon: -88, lat: 42, coastal: false, at: { 0: [82, 42], 3: [-179, 73], 4: [216, 99] } },
    { name: 'Honolulu', lon: -158, lat: 21, coastal: true, at: { 0: [20, 61], 3: [-363, 128], 4: [32, 154] } },
    { name: 'Sydney', lon: 151, lat: -34, coastal: true, at: { 0: [292, 109], 3: [450, 273], 4: [845, 299] } },
];
