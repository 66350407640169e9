// Reading and writing 8-bit palette BMP files (BITMAPINFOHEADER, uncompressed, bottom-up rows).

const FILE_HEADER = 14;
const INFO_HEADER = 40;
const PALETTE_SIZE = 256;

function rowStride(width) {
    return (width + 3) & ~3;
}

// Encodes `indices` (width * height palette indices, top row first) with `palette` (up to 256 [r, g, b];
// the rest is written as black) as a BMP file.
export function encodeBmp8(width, height, indices, palette) {
    if (palette.length > PALETTE_SIZE) throw new Error(`palette has ${palette.length} colours`);
    const stride = rowStride(width);
    const dataOffset = FILE_HEADER + INFO_HEADER + 4 * PALETTE_SIZE;
    const imageSize = stride * height;
    const buf = Buffer.alloc(dataOffset + imageSize);
    buf.write('BM', 0, 'ascii');
    buf.writeUInt32LE(buf.length, 2);
    buf.writeUInt32LE(dataOffset, 10);
    buf.writeUInt32LE(INFO_HEADER, 14);
    buf.writeInt32LE(width, 18);
    buf.writeInt32LE(height, 22); // positive: bottom-up
    buf.writeUInt16LE(1, 26); // planes
    buf.writeUInt16LE(8, 28); // bits per pixel
    buf.writeUInt32LE(0, 30); // BI_RGB
    buf.writeUInt32LE(imageSize, 34);
    buf.writeInt32LE(2835, 38); // 72 dpi
    buf.writeInt32LE(2835, 42);
    buf.writeUInt32LE(PALETTE_SIZE, 46); // colours used
    buf.writeUInt32LE(0, 50); // all colours important
    palette.forEach(([r, g, b], i) => {
        const o = FILE_HEADER + INFO_HEADER + 4 * i;
        buf[o] = b;
        buf[o + 1] = g;
        buf[o + 2] = r;
    });
    for (let y = 0; y < height; y++) {
        const o = dataOffset + (height - 1 - y) * stride;
        for (let x = 0; x < width; x++) buf[o + x] = indices[y * width + x];
    }
    return buf;
}

// Decodes an 8-bit BMP written as above. Returns its header fields, palette and a pixel(x, y) -> [r, g, b]
// accessor (top row is y = 0). Throws on anything it does not understand.
export function decodeBmp8(buf) {
    if (buf.length < FILE_HEADER + INFO_HEADER || buf.toString('ascii', 0, 2) !== 'BM') throw new Error('not a BMP');
    const h = {
        fileSize: buf.readUInt32LE(2),
        dataOffset: buf.readUInt32LE(10),
        infoSize: buf.readUInt32LE(14),
        width: buf.readInt32LE(18),
        height: buf.readInt32LE(22),
        planes: buf.readUInt16LE(26),
        bitCount: buf.readUInt16LE(28),
        compression: buf.readUInt32LE(30),
        imageSize: buf.readUInt32LE(34),
        colorsUsed: buf.readUInt32LE(46),
    };
    if (h.infoSize !== INFO_HEADER || h.bitCount !== 8 || h.compression !== 0 || h.width <= 0 || h.height <= 0) {
        throw new Error(`unsupported BMP ${JSON.stringify(h)}`);
    }
    const colours = h.colorsUsed || PALETTE_SIZE;
    const palette = [];
    for (let i = 0; i < colours; i++) {
        const o = FILE_HEADER + INFO_HEADER + 4 * i;
        palette.push([buf[o + 2], buf[o + 1], buf[o]]);
    }
    const stride = rowStride(h.width);
    if (h.dataOffset + stride * h.height > buf.length) throw new Error('BMP pixel data is truncated');
    const index = (x, y) => buf[h.dataOffset + (h.height - 1 - y) * stride + x];
    return { header: h, palette, index, pixel: (x, y) => palette[index(x, y)] };
}
