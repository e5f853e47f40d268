#include "CBrush.h"

#include "CBitmap.h"

CBrush CBrush::Solid(ARGB color) {
    CBrush brush;
    brush.m_color = color;
    return brush;
}

CBrush CBrush::Texture(const QImage& texture) {
    CBrush brush;
    brush.m_isTexture = true;
    // The same pixel format as the surfaces, so painting the texture copies pixels unchanged.
    brush.m_texture = texture.isNull() || texture.format() == CBitmap::kFormat
                          ? texture
                          : texture.convertToFormat(CBitmap::kFormat);
    return brush;
}

void CBrush::SetColor(ARGB color) {
    m_isTexture = false;
    m_texture = QImage();
    m_color = color;
}

QBrush CBrush::ToQBrush() const {
    if (!m_isTexture)
        return QBrush(ColorFromArgb(m_color));
    if (m_texture.isNull())
        return QBrush(Qt::NoBrush);
    return QBrush(m_texture);
}
