#include "CTextTool.h"

#include "CGraphics.h"
#include "CInkStrokes.h"
#include "CPen.h"
#include "CTextWindow.h"
#include "IDisplayServer.h"

#include <QLineEdit>

namespace {
// The text runs on to the right of its anchor, its line centred on it.
CStringFormat AnchoredFormat() {
    CStringFormat format;
    format.SetAlignment(EStringAlignment::Near);
    format.SetLineAlignment(EStringAlignment::Center);
    return format;
}
} // namespace

CTextTool::CTextTool(CTextWindow& window, IDisplayServer& displayServer)
    : m_window(window), m_displayServer(displayServer) {}

void CTextTool::PlaceWindow(QImage& surface, const QRect& area, const QPoint& point, int textSizePt,
                            bool show) {
    // The bubble's pointer touches the text line from below in the upper half of the overlay,
    // from above in the lower half.
    CGraphics measure(&surface);
    const float lineHeight = static_cast<float>(
        measure
            .MeasureString("hg", CFont("Arial", static_cast<float>(textSizePt), false),
                           QRectF(0, 0, 0, 0), CStringFormat())
            .height());
    int y = 0;
    if (point.y() < area.height() / 2) {
        m_window.SetArrowDirection(0);
        y = static_cast<int>(static_cast<float>(area.top() + point.y()) + lineHeight * 0.5f);
    } else {
        m_window.SetArrowDirection(1);
        y = static_cast<int>(static_cast<float>(area.top() + point.y() - m_window.height()) -
                             lineHeight * 0.5f);
    }
    m_window.move(area.left() + point.x(), y);
    if (show) {
        m_window.show();
        m_window.raise();
        m_window.activateWindow();
        m_displayServer.GiveKeyboardFocus(m_window.winId());
        m_window.Edit()->setFocus();
    }
}

QRect CTextTool::Draw(QImage& target, const CTextLook& look, bool preview) {
    const CFont font("Arial", static_cast<float>(look.sizePt), false);
    const CStringFormat format = AnchoredFormat();
    const QRectF layout(look.anchor, QSizeF(0, 0));
    CGraphics graphics(&target);
    graphics.SetCompositingMode(ECompositingMode::SourceOver);
    graphics.SetSmoothingMode(ESmoothingMode::AntiAlias);
    graphics.DrawString(look.text, font, layout, format, CBrush::Solid(look.colour));
    const QRectF box = graphics.MeasureString(look.text.isEmpty() ? QStringLiteral("h") : look.text,
                                              font, layout, format);
    if (preview) {
        CPen frame(0xFF000000u, 1.0f);
        frame.SetDashStyle(EDashStyle::Dot);
        graphics.SetSmoothingMode(ESmoothingMode::None);
        graphics.DrawRectangle(frame, box.toRect());
    }
    return box.toAlignedRect().adjusted(-2, -2, 3, 3);
}

QRectF CTextTool::InkBounds(QImage& target, const CTextLook& look) {
    if (look.text.isEmpty())
        return QRectF();
    const CGraphics graphics(&target);
    const QRectF box =
        graphics.MeasureString(look.text, CFont("Arial", static_cast<float>(look.sizePt), false),
                               QRectF(look.anchor, QSizeF(0, 0)), AnchoredFormat());
    // The measure is the advance and the line's height; a glyph's ink can lean past both (an
    // "f" or a "j" past the advance, marks past the ascent), and antialiasing adds its fringe.
    const qreal slack = box.height() / 2 + 2;
    return box.adjusted(-slack, -slack, slack, slack);
}

QRect CTextTool::DrawPreview(QImage& surface, const QImage& page, ARGB backgroundColour,
                             const CTextLook& look, const QRect& bounds) {
    // Only the old and the new preview boxes change: restore the one from the model, draw the
    // other.
    const QRect old = m_previewBox;
    if (!old.isNull())
        CInkStrokes::Compose(surface, page, backgroundColour, old);
    m_previewBox = Draw(surface, look, true).intersected(bounds);
    return old.united(m_previewBox);
}

void CTextTool::FollowDisplay(const QRect& oldRect, const QRect& newRect, float& anchorX,
                              float& anchorY) {
    if (oldRect.isEmpty())
        return;
    if (m_window.isVisible()) {
        const QPoint at = m_window.pos();
        m_window.move(
            newRect.left() + (at.x() - oldRect.left()) * newRect.width() / oldRect.width(),
            newRect.top() + (at.y() - oldRect.top()) * newRect.height() / oldRect.height());
    }
    anchorX = anchorX * static_cast<float>(newRect.width()) / static_cast<float>(oldRect.width());
    anchorY = anchorY * static_cast<float>(newRect.height()) / static_cast<float>(oldRect.height());
}
