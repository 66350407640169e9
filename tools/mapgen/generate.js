// Draws the three built-in map pictures from Natural Earth's 1:10m land and country borders.
//
// Each picture is rendered on a grid of SUPER x SUPER samples per pixel: land (or ice) and sea by filling the
// projected polygons, then a coast band on the land side of every shore. A pixel's colour is the mixture of
// its samples' colours, rounded to eighths so that every mixture fits in one shared 256-colour palette.
// Country borders are drawn afterwards, one crisp pixel wide, on inland pixels only, and islands too small to
// show are marked by one solid pixel.
//
// Usage: node generate.js [output folder]   (default: ../../resources/maps)

import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import { geoArea, geoCentroid, geoEquirectangular, geoPath } from 'd3-geo';
import * as topojson from 'topojson-client';
import { W, H, PICTURES, linearMap } from './geometry.js';
import { encodeBmp8 } from './bmp.js';
import { CLASS_COLOURS, BORDER, ICE_BORDER, RESERVED } from './style.js';

const require = createRequire(import.meta.url);
const here = path.dirname(fileURLToPath(import.meta.url));

const SUPER = 8; // samples per pixel along each axis
const EIGHTHS = 8; // mixtures are rounded to this many parts
const COAST_WIDTH = 1.0; // pixels, measured from the shore into the land
const ICE_IDS = new Set(['010', '304']); // Antarctica, Greenland
// Leased and military enclaves carry no border of their own: drawn, Baikonur would be a stray square in
// the steppe.
const PART_OF = {
    Baikonur: 'Kazakhstan',
    'USNB Guantanamo Bay': 'Cuba',
    Akrotiri: 'Cyprus',
    Dhekelia: 'Cyprus',
    'Cyprus U.N. Buffer Zone': 'Cyprus',
};
// Islands of at least this area (steradians, about 1200 km²) that would cover less than ISLAND_PIXELS pixels
// are marked by a solid coast-coloured pixel; faint anti-aliased specks alone get lost under a city's dot.
const MIN_ISLAND = 1200 / 6371 ** 2;
const ISLAND_PIXELS = 1.5;

const SEA = 0;
const LAND = 1;
const ICE = 2;
const COAST = 3;

// A projection onto the picture's continuous pixel coordinates (pixel centres on integers), cut along the
// meridian opposite the picture's centre so that the world picture wraps where its edges meet.
function projectionFor(pic) {
    const m = linearMap(pic);
    const cx = (W - 1) / 2;
    const centreLon = (cx - m.x0) / m.pxPerDeg;
    return geoEquirectangular()
        .scale((m.pxPerDeg * 180) / Math.PI)
        .translate([cx, m.y0])
        .rotate([-centreLon, 0])
        .precision(0)
        .clipExtent([
            [-2, -2],
            [W + 1, H + 1],
        ]);
}

// Projected paths of a GeoJSON object: one point list per ring or line.
function projectedPaths(projection, object) {
    const paths = [];
    let current = null;
    const context = {
        moveTo(x, y) {
            current = [[x, y]];
            paths.push(current);
        },
        lineTo(x, y) {
            current.push([x, y]);
        },
        closePath() {},
        arc() {},
    };
    geoPath(projection, context)(object);
    return paths;
}

// The polygons of a (multi)polygon feature, each with its rings wound as the projection expects. Quantizing
// the 1:10m data leaves a few slivers of islands wound the wrong way; read as they stand, each would cover
// the whole globe but itself.
function polygons(feature) {
    const g = feature.type === 'Feature' ? feature.geometry : feature;
    const list = g.type === 'Polygon' ? [g.coordinates] : g.coordinates;
    const fixed = list.map((rings) =>
        geoArea({ type: 'Polygon', coordinates: rings }) > 2 * Math.PI ? rings.map((r) => [...r].reverse()) : rings,
    );
    return { type: 'MultiPolygon', coordinates: fixed };
}

// Sets grid samples inside `rings` (non-zero winding, as the projection's output expects) to `value`.
function fillRings(grid, gw, gh, rings, value) {
    const buckets = Array.from({ length: gh }, () => []);
    for (const ring of rings) {
        for (let i = 0; i < ring.length; i++) {
            const a = ring[i];
            const b = ring[(i + 1) % ring.length];
            let [x1, y1] = [(a[0] + 0.5) * SUPER, (a[1] + 0.5) * SUPER];
            let [x2, y2] = [(b[0] + 0.5) * SUPER, (b[1] + 0.5) * SUPER];
            if (y1 === y2) continue;
            const dir = y2 > y1 ? 1 : -1;
            if (y1 > y2) [x1, y1, x2, y2] = [x2, y2, x1, y1];
            // rows whose sample centre (row + 0.5) lies in [y1, y2)
            const first = Math.max(0, Math.ceil(y1 - 0.5));
            const last = Math.min(gh - 1, Math.ceil(y2 - 0.5) - 1);
            if (first > last) continue;
            buckets[first].push({ last, x1, y1, slope: (x2 - x1) / (y2 - y1), dir });
        }
    }
    let active = [];
    for (let row = 0; row < gh; row++) {
        active = active.filter((e) => e.last >= row).concat(buckets[row]);
        const yc = row + 0.5;
        const crossings = active.map((e) => [e.x1 + (yc - e.y1) * e.slope, e.dir]).sort((p, q) => p[0] - q[0]);
        let winding = 0;
        for (let i = 0; i + 1 < crossings.length; i++) {
            winding += crossings[i][1];
            if (winding === 0) continue;
            const from = Math.max(0, Math.ceil(crossings[i][0] - 0.5));
            const to = Math.min(gw - 1, Math.ceil(crossings[i + 1][0] - 0.5) - 1);
            grid.fill(value, row * gw + from, row * gw + to + 1);
        }
    }
}

// Turns land and ice samples within COAST_WIDTH pixels of the sea into coast. The world picture wraps.
function markCoast(grid, gw, gh, wraps) {
    const r = COAST_WIDTH * SUPER;
    const disk = [];
    for (let dy = -Math.ceil(r); dy <= Math.ceil(r); dy++) {
        for (let dx = -Math.ceil(r); dx <= Math.ceil(r); dx++) if (dx * dx + dy * dy <= r * r) disk.push([dx, dy]);
    }
    const col = (x) => (wraps ? (x + gw) % gw : x);
    const isLand = (x, y) => {
        x = col(x);
        return x >= 0 && x < gw && y >= 0 && y < gh && (grid[y * gw + x] === LAND || grid[y * gw + x] === ICE);
    };
    const shore = [];
    for (let y = 0; y < gh; y++) {
        for (let x = 0; x < gw; x++) {
            if (grid[y * gw + x] !== SEA) continue;
            if (isLand(x - 1, y) || isLand(x + 1, y) || isLand(x, y - 1) || isLand(x, y + 1)) shore.push([x, y]);
        }
    }
    for (const [x, y] of shore) {
        for (const [dx, dy] of disk) {
            if (isLand(x + dx, y + dy)) grid[(y + dy) * gw + col(x + dx)] = COAST;
        }
    }
}

// Pixels crossed by the projected lines, as a W x H mask (8-connected steps between rounded vertices).
function lineMask(lines) {
    const mask = new Uint8Array(W * H);
    const plot = (x, y) => {
        if (x >= 0 && x < W && y >= 0 && y < H) mask[y * W + x] = 1;
    };
    for (const line of lines) {
        for (let i = 1; i < line.length; i++) {
            let x = Math.round(line[i - 1][0]);
            let y = Math.round(line[i - 1][1]);
            const x2 = Math.round(line[i][0]);
            const y2 = Math.round(line[i][1]);
            const dx = Math.abs(x2 - x);
            const dy = -Math.abs(y2 - y);
            const sx = x < x2 ? 1 : -1;
            const sy = y < y2 ? 1 : -1;
            let err = dx + dy;
            for (;;) {
                plot(x, y);
                if (x === x2 && y === y2) break;
                const e2 = 2 * err;
                if (e2 >= dy) {
                    err += dy;
                    x += sx;
                }
                if (e2 <= dx) {
                    err += dx;
                    y += sy;
                }
            }
        }
    }
    return mask;
}

// Pixels (y * W + x) that mark small islands: the pixel of each island's centroid.
function islandPixels(pic, projection, land) {
    const m = linearMap(pic);
    const pixelArea = (m.pxPerDeg * 180) / Math.PI;
    const marks = new Set();
    for (const rings of land.coordinates) {
        const polygon = { type: 'Polygon', coordinates: rings };
        const area = geoArea(polygon);
        if (area < MIN_ISLAND || area * pixelArea ** 2 >= ISLAND_PIXELS) continue;
        const p = projection(geoCentroid(polygon));
        if (!p) continue;
        const [x, y] = p.map(Math.round);
        if (x >= 0 && x < W && y >= 0 && y < H) marks.add(y * W + x);
    }
    return marks;
}

// Rounds sample counts per class to EIGHTHS parts that add up exactly (largest remainders first).
function toEighths(counts, total) {
    const exact = counts.map((c) => (c * EIGHTHS) / total);
    const parts = exact.map(Math.floor);
    let missing = EIGHTHS - parts.reduce((s, p) => s + p, 0);
    const order = exact.map((e, i) => [e - parts[i], i]).sort((a, b) => b[0] - a[0] || a[1] - b[1]);
    for (let k = 0; missing > 0; k++, missing--) parts[order[k][1]]++;
    return parts;
}

function mixColour(parts) {
    return [0, 1, 2].map((ch) =>
        Math.round(parts.reduce((s, p, i) => s + p * CLASS_COLOURS[i][ch], 0) / EIGHTHS),
    );
}

function owner(country) {
    return PART_OF[country.properties.name] ?? country.properties.name;
}

// The map data once for all pictures: land and ice as polygons, country borders as lines.
function mapLayers(topo) {
    const countries = topo.objects.countries;
    return {
        land: polygons(topojson.feature(topo, topo.objects.land).features[0]),
        ice: polygons(topojson.merge(topo, countries.geometries.filter((g) => ICE_IDS.has(g.id)))),
        borders: topojson.mesh(topo, countries, (a, b) => owner(a) !== owner(b)),
    };
}

// Renders one picture as a list of colour keys per pixel: "m:a,b,c,d" for a mixture in eighths of sea, land,
// ice and coast, "border" or "iceBorder" for border pixels.
function renderPicture(pic, layers) {
    const projection = projectionFor(pic);
    const gw = W * SUPER;
    const gh = H * SUPER;
    const grid = new Uint8Array(gw * gh);
    fillRings(grid, gw, gh, projectedPaths(projection, layers.land), LAND);
    // Ice only recolours land: where the two outlines differ slightly, the land outline wins.
    const iceGrid = new Uint8Array(gw * gh);
    fillRings(iceGrid, gw, gh, projectedPaths(projection, layers.ice), ICE);
    for (let i = 0; i < grid.length; i++) if (grid[i] === LAND && iceGrid[i] === ICE) grid[i] = ICE;
    markCoast(grid, gw, gh, pic.view === 0);

    const borders = lineMask(projectedPaths(projection, layers.borders));
    const islands = islandPixels(pic, projection, layers.land);
    const keys = new Array(W * H);
    for (let y = 0; y < H; y++) {
        for (let x = 0; x < W; x++) {
            const counts = [0, 0, 0, 0];
            for (let sy = 0; sy < SUPER; sy++) {
                const o = (y * SUPER + sy) * gw + x * SUPER;
                for (let sx = 0; sx < SUPER; sx++) counts[grid[o + sx]]++;
            }
            const parts = toEighths(counts, SUPER * SUPER);
            const inland = parts[LAND] + parts[ICE] >= EIGHTHS - 1;
            if (islands.has(y * W + x) && parts[SEA] > 2) keys[y * W + x] = 'm:0,0,0,8';
            else if (borders[y * W + x] && inland) keys[y * W + x] = parts[ICE] > parts[LAND] ? 'iceBorder' : 'border';
            else keys[y * W + x] = `m:${parts.join(',')}`;
        }
    }
    return keys;
}

// One palette for all pictures: the pure colours first, then every mixture that occurs, in a fixed order.
function buildPalette(keyLists) {
    const pure = ['m:8,0,0,0', 'm:0,8,0,0', 'm:0,0,8,0', 'm:0,0,0,8', 'border', 'iceBorder'];
    const used = new Set(keyLists.flat());
    const mixtures = [...used].filter((k) => !pure.includes(k)).sort();
    const keys = pure.concat(mixtures);
    if (keys.length > 256) throw new Error(`${keys.length} colours do not fit a 256-colour palette`);
    const colours = keys.map((k) => {
        if (k === 'border') return BORDER;
        if (k === 'iceBorder') return ICE_BORDER;
        return mixColour(k.slice(2).split(',').map(Number));
    });
    for (const c of colours) {
        if (RESERVED.some((r) => r.every((v, i) => v === c[i]))) throw new Error(`palette holds reserved ${c}`);
    }
    return { index: new Map(keys.map((k, i) => [k, i])), colours };
}

function main() {
    const outDir = path.resolve(process.argv[2] ?? path.join(here, '..', '..', 'resources', 'maps'));
    const layers = mapLayers(require('world-atlas/countries-10m.json'));
    const rendered = PICTURES.map((pic) => renderPicture(pic, layers));
    const palette = buildPalette(rendered);
    fs.mkdirSync(outDir, { recursive: true });
    PICTURES.forEach((pic, i) => {
        const indices = Uint8Array.from(rendered[i], (k) => palette.index.get(k));
        const file = path.join(outDir, pic.file);
        fs.writeFileSync(file, encodeBmp8(W, H, indices, palette.colours));
        console.log(`${file}: ${W} x ${H}, view ${pic.view}`);
    });
    console.log(`palette: ${palette.colours.length} of 256 entries used`);
}

main();
