#include "CRavlinMenuButton.h"

#include "IDialogs.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPolygon>

CRavlinMenuButton::CRavlinMenuButton(IDialogs& dialogs, QWidget* parent)
    : CRavlinButton(parent), m_dialogs(dialogs) {}

void CRavlinMenuButton::SetMenu(const CMenuPopup* popup) {
    if (popup)
        m_menu = *popup;
    else
        m_menu.reset();
    update();
}

void CRavlinMenuButton::CheckItem(CommandId id) {
    if (!m_menu)
        return;
    for (CMenuItem& item : m_menu->items)
        item.checked = !item.separator && item.id == id;
}

void CRavlinMenuButton::SetArrowAtBottom(bool atBottom) {
    arrowAtBottom = atBottom;
    update();
}

QRect CRavlinMenuButton::ArrowHitRect() const {
    const QRect client = rect();
    if (arrowAtBottom)
        return QRect(client.left(), client.bottom() + 1 - kArrowStripHeight, client.width(),
                     kArrowStripHeight);
    return QRect(client.right() + 1 - kArrowStripWidth, client.top(), kArrowStripWidth,
                 client.height());
}

void CRavlinMenuButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event);
    else
        CRavlinButton::mousePressEvent(event);
}

void CRavlinMenuButton::OnLButtonDown(QMouseEvent* event) {
    if (m_bMenuIsActive) {
        // Taken here, so that it does not reach the toolbar and start a drag.
        event->accept();
        return;
    }
    m_bClickOnMenu = true;
    if (!m_bDefaultClick || ArrowHitRect().contains(event->position().toPoint())) {
        OnShowMenu();
        return;
    }
    // An ordinary click: the toolbar sends the tool's own command, not the last choice.
    m_bClickOnMenu = false;
    m_nMenuResult = 0;
    CRavlinButton::mousePressEvent(event);
}

void CRavlinMenuButton::OnShowMenu() {
    if (!m_menu || m_bMenuIsActive)
        return;
    const QPoint at = mapToGlobal(QPoint(0, height()));
    m_bMenuIsActive = true;
    update();
    // The popup runs its own event loop, in which the toolbar may replace the menu or take the
    // button away.
    const CMenuPopup popup = *m_menu;
    QPointer<CRavlinMenuButton> self(this);
    const CommandId chosen = m_dialogs.TrackPopupMenu(this, popup, at);
    if (!self)
        return;
    m_nMenuResult = chosen;
    if (chosen != 0 && onClick) {
        onClick(ControlId());
        if (!self)
            return;
    }
    setDown(false);
    m_bMenuIsActive = false;
    SetHighlighted(false);
    update();
}

void CRavlinMenuButton::OnDraw(QPainter& painter, const QRect& drawRect) {
    // Edges as (left, top, right, bottom) with right and bottom exclusive.
    const int left = drawRect.left();
    const int top = drawRect.top();
    const int right = drawRect.left() + drawRect.width();
    const int bottom = drawRect.top() + drawRect.height();
    int pictureRight = right;
    int pictureBottom = bottom;
    int stripLeft = left;
    int stripTop = top;
    if (arrowAtBottom) {
        pictureBottom = bottom - kArrowStripHeight;
        stripTop = pictureBottom;
    } else {
        pictureRight = right - kArrowStripWidth;
        stripLeft = pictureRight;
    }
    const QRect pictureRect(left, top, pictureRight - left, pictureBottom - top);

    const bool pushed = isDown();
    const bool highlighted = IsHighlighted();
    QRgb arrowColour = kArrowHovered;
    if (pushed && highlighted) {
        FillHighlight(painter, left, top, pictureRight, pictureBottom, kPushedHighlight);
        arrowColour = kArrowPushed;
        DrawPicture(painter, defaultImage, pictureRect);
    } else if (!highlighted) {
        arrowColour = kArrowNormal;
        DrawPicture(painter, defaultImage, pictureRect);
    } else if (frames.empty()) {
        FillHighlight(painter, left, top, pictureRight, pictureBottom, kHoverHighlight);
        DrawPicture(painter, defaultImage, pictureRect);
    } else if (animating && !animationDone && shownFrame > 0 && shownFrame < FrameCount()) {
        // The first frame is left out: the picture stands in for it.
        DrawPicture(painter, frames[static_cast<size_t>(shownFrame)], pictureRect);
    } else {
        DrawPicture(painter, defaultImage, pictureRect);
    }

    if (!m_menu)
        return;
    // A downward arrow 10 pixels wide, centred in the strip.
    const int dy = (bottom - stripTop - 5) / 2;
    const int dx = (right - stripLeft - 10) / 2;
    const QPolygon arrow({QPoint(stripLeft + dx, stripTop + dy), QPoint(right - dx, stripTop + dy),
                          QPoint((stripLeft + right) / 2, bottom - dy)});
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(arrowColour));
    painter.drawPolygon(arrow);
    painter.restore();
}
