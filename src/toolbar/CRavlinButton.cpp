#include "CRavlinButton.h"

#include "LoadSharpPicture.h"
#include "Trace.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

CRavlinButton::CRavlinButton(QWidget* parent) : QAbstractButton(parent) {
    // Toolbar buttons never take the keyboard: the toolbar window handles the keys.
    setFocusPolicy(Qt::NoFocus);
    // Moves without a held button tell it when the pointer is back on it after a popup.
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, [this] { OnClicked(); });
}

CRavlinButton::~CRavlinButton() = default;

void CRavlinButton::LoadDefaultImage(const QString& path, qreal devicePixelRatio) {
    Trace("CRavlinButton::LoadDefaultImage %s\n", path.toUtf8().constData());
    defaultImage = LoadSharpPicture(path, devicePixelRatio);
    const QSize logical = defaultImage.deviceIndependentSize().toSize();
    Trace("Loaded image size %d x %d\n", logical.width(), logical.height());
    if (drawWidth == 0)
        drawWidth = logical.width();
    if (drawHeight == 0)
        drawHeight = logical.height();
    update();
}

void CRavlinButton::LoadFrames(const QString& folder, qreal devicePixelRatio) {
    if (animating)
        StopAnimation();
    frames.clear();
    for (int n = 1; n <= kMostFrames; ++n) {
        const QString path = QString::asprintf("%s%.2d.png", folder.toUtf8().constData(), n);
        // A gap in the numbering ends the frames.
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            break;
        file.close();
        frames.push_back(LoadSharpPicture(path, devicePixelRatio));
    }
}

void CRavlinButton::SetDrawSize(int width, int height) {
    drawWidth = width;
    drawHeight = height;
    update();
}

void CRavlinButton::OnClicked() {
    if (onClick)
        onClick(m_controlId);
}

void CRavlinButton::SetHighlighted(bool highlighted) {
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    UpdateAnimation();
    update();
}

void CRavlinButton::UpdateAnimation() {
    const bool pushed = isDown();
    if (pushed && m_highlighted)
        return; // a running animation goes on under the pushed highlight
    if (!m_highlighted) {
        if (animating)
            StopAnimation();
        // Off the button: the frames play again next time the pointer comes onto it.
        animationDone = 0;
        return;
    }
    if (!frames.empty() && !animationDone && !animating) {
        frameIndex = 0;
        shownFrame = 0;
        animating = 1;
        animationDone = 0;
        m_animationTimer.start(kAnimationPeriodMs, this);
    }
}

void CRavlinButton::OnTimer(int id) {
    if (id != kAnimationTimerId)
        return;
    if (frameIndex >= FrameCount()) {
        m_animationTimer.stop();
        animating = 0;
        animationDone = 1;
        update();
    }
    if (animating) {
        shownFrame = frameIndex;
        update();
        ++frameIndex;
    }
}

void CRavlinButton::StopAnimation() {
    m_animationTimer.stop();
    animating = 0;
    animationDone = 1;
    update();
}

void CRavlinButton::DrawPicture(QPainter& painter, const QImage& image, const QRect& area) const {
    if (image.isNull() || drawWidth <= 0 || drawHeight <= 0)
        return;
    // Integer division truncates toward zero, so a picture wider than the button hangs over
    // both sides by the same amount (give or take a pixel) and is clipped by the window.
    const int x = area.left() + (area.width() - drawWidth) / 2;
    const int y = area.top() + (area.height() - drawHeight) / 2;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(x, y, drawWidth, drawHeight), image);
}

void CRavlinButton::FillHighlight(QPainter& painter, int left, int top, int right, int bottom,
                                  QRgb colour) {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(left, top, right - left, bottom - top), 2, 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(shape, QColor::fromRgba(colour));
    painter.restore();
}

void CRavlinButton::OnDraw(QPainter& painter, const QRect& drawRect) {
    const bool pushed = isDown();
    const int left = drawRect.left();
    const int top = drawRect.top();
    const int right = drawRect.left() + drawRect.width();
    const int bottom = drawRect.top() + drawRect.height();
    // The highlight sits 3 pixels lower than the drawing rectangle and reaches 1 pixel into
    // the inset below it.
    if (pushed && m_highlighted) {
        FillHighlight(painter, left, top + 3, right, bottom + 1, kPushedHighlight);
        DrawPicture(painter, defaultImage, drawRect);
    } else if (!m_highlighted) {
        DrawPicture(painter, defaultImage, drawRect);
    } else if (frames.empty()) {
        FillHighlight(painter, left, top + 3, right, bottom + 1, kHoverHighlight);
        DrawPicture(painter, defaultImage, drawRect);
    } else if (animating && !animationDone) {
        if (shownFrame < FrameCount())
            DrawPicture(painter, frames[static_cast<size_t>(shownFrame)], drawRect);
    } else {
        DrawPicture(painter, defaultImage, drawRect);
    }
}

void CRavlinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    OnDraw(painter, rect().adjusted(kDrawInset, kDrawInset, -kDrawInset, -kDrawInset));
}

void CRavlinButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    SetHighlighted(true);
}

void CRavlinButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    SetHighlighted(false);
}

void CRavlinButton::hideEvent(QHideEvent* event) {
    QAbstractButton::hideEvent(event);
    // A hidden button gets no leave event; it must not come back lit or mid-animation.
    SetHighlighted(false);
}

void CRavlinButton::mousePressEvent(QMouseEvent* event) {
    QAbstractButton::mousePressEvent(event);
    UpdateAnimation();
    update();
}

void CRavlinButton::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    SetHighlighted(rect().contains(event->position().toPoint()));
    UpdateAnimation();
}

void CRavlinButton::mouseReleaseEvent(QMouseEvent* event) {
    // The click handler may take the button away.
    QPointer<CRavlinButton> self(this);
    QAbstractButton::mouseReleaseEvent(event);
    if (!self)
        return;
    UpdateAnimation();
    update();
}

void CRavlinButton::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_animationTimer.timerId())
        OnTimer(kAnimationTimerId);
    else
        QAbstractButton::timerEvent(event);
}
