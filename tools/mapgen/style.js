// Colours of the map pictures.
//
// The program darkens the night side by dividing each channel by 8 and the twilight band by 2, so the day
// colours are kept fairly light. Pure white and RGB(127, 127, 128) are the program's shadow mask colours and
// must not appear in a picture's palette.

export const SEA = [86, 138, 196];
export const LAND = [154, 180, 118];
export const ICE = [222, 230, 234];
export const COAST = [92, 104, 72];
export const BORDER = [134, 154, 102];
export const ICE_BORDER = [188, 196, 200];

// Colours that a palette must not hold.
export const RESERVED = [
    [255, 255, 255],
    [127, 127, 128],
];

// Mixtures of these make up the anti-aliased edges.
export const CLASS_COLOURS = [SEA, LAND, ICE, COAST];
export const SEA_CLASS = 0;
