// Self-check of the generated map pictures: file format, palette, and that city dots land on land.
//
// Usage: node check.js [folder]   (default: ../../resources/maps). Exits non-zero on any failure.

import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { W, H, PICTURES, CITY_DOTS, lonToX, latToY } from './geometry.js';
import { decodeBmp8 } from './bmp.js';
import { CLASS_COLOURS, SEA_CLASS, BORDER, ICE_BORDER, RESERVED } from './style.js';

const here = path.dirname(fileURLToPath(import.meta.url));
const dir = path.resolve(process.argv[2] ?? path.join(here, '..', '..', 'resources', 'maps'));
let passed = 0;
let failed = 0;

function expect(ok, what) {
    if (ok) passed++;
    else {
        failed++;
        console.log(`FAIL ${what}`);
    }
}

const distance2 = (a, b) => a.reduce((s, v, i) => s + (v - b[i]) ** 2, 0);

// A pixel counts as land when its colour is nearer to a land-side colour than to the sea.
function isLand(rgb) {
    const refs = [...CLASS_COLOURS.map((c, i) => [c, i !== SEA_CLASS]), [BORDER, true], [ICE_BORDER, true]];
    refs.sort((a, b) => distance2(rgb, a[0]) - distance2(rgb, b[0]));
    return refs[0][1];
}

for (const pic of PICTURES) {
    const file = path.join(dir, pic.file);
    const buf = fs.readFileSync(file);
    const bmp = decodeBmp8(buf);
    const h = bmp.header;
    expect(h.fileSize === buf.length, `${pic.file}: file size field ${h.fileSize} != ${buf.length}`);
    expect(h.width === W && h.height === H, `${pic.file}: ${h.width} x ${h.height}, not ${W} x ${H} bottom-up`);
    expect(h.planes === 1 && h.bitCount === 8, `${pic.file}: ${h.planes} planes, ${h.bitCount} bits per pixel`);
    expect(h.compression === 0, `${pic.file}: compression ${h.compression}`);
    expect(h.colorsUsed === 256, `${pic.file}: ${h.colorsUsed} palette colours`);
    expect(h.dataOffset === 14 + 40 + 4 * 256, `${pic.file}: pixel data at ${h.dataOffset}`);
    expect(h.imageSize === W * H, `${pic.file}: image size ${h.imageSize}`);
    for (const r of RESERVED) {
        expect(!bmp.palette.some((c) => distance2(c, r) === 0), `${pic.file}: palette holds reserved colour ${r}`);
    }

    for (const city of CITY_DOTS) {
        const x = lonToX(pic, -city.lon);
        const y = latToY(pic, city.lat);
        const want = city.at[pic.view];
        expect(x === want[0] && y === want[1], `${pic.file}: ${city.name} at (${x}, ${y}), expected (${want})`);
        if (x < 0 || x >= W || y < 0 || y >= H) continue;
        const reach = city.coastal ? 1 : 0;
        let land = false;
        for (let dy = -reach; dy <= reach; dy++) {
            for (let dx = -reach; dx <= reach; dx++) {
                const px = x + dx;
                const py = y + dy;
                if (px >= 0 && px < W && py >= 0 && py < H && isLand(bmp.pixel(px, py))) land = true;
            }
        }
        expect(land, `${pic.file}: ${city.name} (${x}, ${y}) is at sea`);
        console.log(`${pic.file}: ${city.name} (${x}, ${y}) ${isLand(bmp.pixel(x, y)) ? 'land' : 'near the coast'}`);
    }
}

console.log(`${passed} passed, ${failed} failed`);
process.exitCode = failed ? 1 : 0;
