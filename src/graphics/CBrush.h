// What fills a shape or a pen's stroke: a solid colour, or a picture tiled from the surface origin.
#pragma once

#include "GraphicsTypes.h"

#include <QBrush>
#include <QImage>

class CBrush {
public:
    // Opaque black, as a pen starts out.
    CBrush() = default;

    static CBrush Solid(ARGB color);

    // Tiled and anchored at the surface origin: at every painted pixel CGraphics paints the texture
    // pixel with the same coordinates, wherever the shape lies. That is what lets the eraser paint
    // a board's background back exactly where it was. A null picture paints nothing.
    static CBrush Texture(const QImage& texture);

    CBrush Clone() const { return *this; }

    // Makes this a solid brush of that colour (a texture brush gives up its picture).
    void SetColor(ARGB color);

    bool IsTexture() const { return m_isTexture; }
    ARGB Color() const { return m_color; }
    const QImage& TextureImage() const { return m_texture; }

    // The texture is anchored at the painter's brush origin here; CGraphics pins it to the surface
    // origin, so prefer its operations over painting this brush yourself.
    QBrush ToQBrush() const;

private:
    ARGB m_color = 0xFF000000u;
    QImage m_texture;
    bool m_isTexture = false;
};
