#include "CPen.h"

#include <QList>

namespace {

// Qt adds a round cap to both ends of every dash, half a width each, so a pattern written as
// visible lengths would close its gaps. Each dash is shortened by one width and each gap
// lengthened by one, which keeps the visible pattern of dot = 1 width, dash = 3 widths and gaps
// of 1 width. A zero-length dash would be dropped, so a dot is a tiny dash that shows as its caps.
constexpr qreal kDotLength = 0.001;

QList<qreal> DashPattern(EDashStyle style) {
    switch (style) {
    case EDashStyle::Dot:
        return {kDotLength, 2.0};
    case EDashStyle::DashDotDot:
        return {2.0, 2.0, kDotLength, 2.0, kDotLength, 2.0};
    case EDashStyle::Solid:
        break;
    }
    return {};
}

} // namespace

CPen::CPen(ARGB color, float width) : m_brush(CBrush::Solid(color)), m_width(width) {}

CPen::CPen(const CBrush& brush, float width) : m_brush(brush), m_width(width) {}

QPen CPen::ToQPen() const {
    // Width 0 is Qt's cosmetic one-pixel pen, the thinnest line there is, as with any pen below
    // one pixel.
    QPen pen(m_brush.ToQBrush(), m_width > 0.0f ? qreal(m_width) : 0.0, Qt::SolidLine, Qt::RoundCap,
             Qt::RoundJoin);
    const QList<qreal> pattern = DashPattern(m_dashStyle);
    if (!pattern.isEmpty())
        pen.setDashPattern(pattern);
    return pen;
}
