// Reduces a picture to at most 256 colours for GIF files.
#pragma once

#include <QImage>

class CColorQuantizer {
public:
    CColorQuantizer() = delete;

    // An 8-bit indexed copy of an opaque picture. Up to 256 distinct colours are kept exactly.
    // Beyond that the palette comes from the picture by median cut (boxes split where the colour
    // error is largest, so a few pixels of saturated ink far from the rest get their own entry)
    // and the pixels are mapped with Floyd-Steinberg dithering. Deterministic: the same picture
    // always gives the same file. Null for a null picture.
    static QImage ToIndexed8(const QImage& image);
};
