// A stroke: a brush, a width in pixels centred on the line, round caps and round joins always
// (ink strokes must look like a felt pen, never like a ruler), and an optional dash pattern.
#pragma once

#include "CBrush.h"
#include "GraphicsTypes.h"

#include <QPen>

class CPen {
public:
    CPen(ARGB color, float width);
    CPen(const CBrush& brush, float width);

    void SetDashStyle(EDashStyle style) { m_dashStyle = style; }
    EDashStyle DashStyle() const { return m_dashStyle; }

    void SetBrush(const CBrush& brush) { m_brush = brush; }
    const CBrush& Brush() const { return m_brush; }
    void SetColor(ARGB color) { m_brush.SetColor(color); }

    void SetWidth(float width) { m_width = width; }
    float Width() const { return m_width; }

    // A texture brush is anchored at the painter's brush origin here; CGraphics pins it to the
    // surface origin.
    QPen ToQPen() const;

private:
    CBrush m_brush;
    float m_width = 1.0f;
    EDashStyle m_dashStyle = EDashStyle::Solid;
};
