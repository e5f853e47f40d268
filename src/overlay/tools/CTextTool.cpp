#include "CTextTool.h"

#include "CCanvas.h"
#include "CGraphics.h"
#include "CPen.h"
#include "CPreviewLayer.h"
#include "CTextWindow.h"
#include "CToolValues.h"
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

CFont FontOf(const CTextLook& look) {
    return CFont("Arial", static_cast<float>(look.sizePt), false);
}
} // namespace

CTextTool::CTextTool(IToolHost& host, CTextWindow& window, IDisplayServer& displayServer)
    : m_host(host), m_window(window), m_displayServer(displayServer) {}

CTextLook CTextTool::Look() const {
    return {text, anchor, m_host.Values().textSize, m_host.Values().textColour};
}

void CTextTool::Press(const QPoint& at) {
    m_dragging = true;
    anchor = at;
    PlaceWindow(at, true);
}

void CTextTool::Move(const QPoint& at) {
    if (m_dragging)
        anchor = at;
}

void CTextTool::Release(const QPoint& at) {
    if (!m_dragging)
        return;
    m_dragging = false;
    anchor = at;
    PlaceWindow(at, false);
}

bool CTextTool::WantsTicks() const {
    return m_dragging || m_window.isVisible();
}

void CTextTool::Tick(std::uint32_t /*nowMs*/) {
    if (!m_host.Canvas().Page())
        return;
    CPreviewLayer& layer = m_host.Previews();
    layer.Drawn(Draw(layer.Redraw(), Look(), true));
}

void CTextTool::Commit() {
    const CTextLook look = Look();
    m_host.Canvas().DrawString(look.text, FontOf(look), QRectF(look.anchor, QSizeF(0, 0)),
                               AnchoredFormat(), look.colour);
}

void CTextTool::Discard() {
    text.clear();
    m_host.Previews().Clear();
}

void CTextTool::PlaceWindow(const QPoint& point, bool show) {
    const _PageContext* page = m_host.Canvas().Page();
    if (!page)
        return;
    const QRect area = m_host.OverlayRect();
    // The bubble's pointer touches the text line from below in the upper half of the overlay,
    // from above in the lower half.
    // Measured as it will be drawn: at the page's resolution.
    QImage measureOn(1, 1, page->bitmap.format());
    measureOn.setDotsPerMeterX(page->bitmap.dotsPerMeterX());
    measureOn.setDotsPerMeterY(page->bitmap.dotsPerMeterY());
    CGraphics measure(&measureOn);
    const float lineHeight = static_cast<float>(
        measure
            .MeasureString("hg",
                           CFont("Arial", static_cast<float>(m_host.Values().textSize), false),
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
    const CFont font = FontOf(look);
    const CStringFormat format = AnchoredFormat();
    const QRectF layout(look.anchor, QSizeF(0, 0));
    CGraphics graphics(&target);
    graphics.SetCompositingMode(ECompositingMode::SourceOver);
    graphics.SetSmoothingMode(ESmoothingMode::AntiAlias);
    graphics.DrawString(look.text, font, layout, format, CBrush::Solid(look.colour));
    const QRectF box = graphics.MeasureString(look.text.isEmpty() ? QStringLiteral("h") : look.text,
                                              font, layout, format);
    // Glyphs can lean past the measure; the box returned holds them too.
    const QRectF ink = graphics.MeasureStringInk(look.text, font, layout, format);
    if (preview) {
        CPen frame(0xFF000000u, 1.0f);
        frame.SetDashStyle(EDashStyle::Dot);
        graphics.SetSmoothingMode(ESmoothingMode::None);
        graphics.DrawRectangle(frame, box.toRect());
    }
    return box.united(ink).toAlignedRect().adjusted(-2, -2, 3, 3);
}

void CTextTool::FollowDisplay(const QRect& oldRect, const QRect& newRect) {
    if (oldRect.isEmpty())
        return;
    if (m_window.isVisible()) {
        const QPoint at = m_window.pos();
        m_window.move(
            newRect.left() + (at.x() - oldRect.left()) * newRect.width() / oldRect.width(),
            newRect.top() + (at.y() - oldRect.top()) * newRect.height() / oldRect.height());
    }
    anchor = QPointF(anchor.x() * newRect.width() / oldRect.width(),
                     anchor.y() * newRect.height() / oldRect.height());
}
