#include "CCompositorFallback.h"

#include "CInkShape.h"
#include "IDialogs.h"
#include "IDisplayServer.h"

#include <QPainter>
#include <QWidget>

namespace {
const char* const kNoCompositorNotice =
    "No compositing manager is running, so the desktop cannot show through Ravlin's "
    "drawings. Your drawings stay visible and clicks still reach your programs; while you "
    "draw, the screen behind the drawings is frozen.";
} // namespace

void CCompositorFallback::SetCompositing(bool compositing) {
    m_compositing = compositing;
    if (!compositing && !m_noticeShown) {
        m_noticeShown = true;
        m_dialogs.ShowNotice(QString::fromLatin1(kNoCompositorNotice));
    }
    if (compositing)
        m_desktop = QImage();
}

void CCompositorFallback::FreezeDesktop(QWidget& window, const QRect& area, qreal ratio,
                                        const QSize& deviceSize) {
    if (window.isVisible()) {
        m_displayServer.SetBoundingShape(window.winId(), QRegion());
        m_displayServer.SyncWithScreen();
    }
    m_desktop = m_displayServer.GrabScreen(QRect(qRound(area.x() * ratio), qRound(area.y() * ratio),
                                                 deviceSize.width(), deviceSize.height()));
    m_desktop.setDevicePixelRatio(ratio);
}

void CCompositorFallback::UpdateShape(QWidget& window, bool pointerMode,
                                      const std::function<const QImage&()>& shown) {
    if (m_compositing || !pointerMode) {
        m_displayServer.SetBoundingShape(window.winId(), std::nullopt);
        return;
    }
    // Nothing to click: only the ink itself is shown, the desktop stays live around it.
    m_displayServer.SetBoundingShape(window.winId(), CInkShape::Of(shown()));
}

bool CCompositorFallback::PaintDesktop(QPainter& painter, const QRect& rect,
                                       const QRectF& source) const {
    if (m_compositing || m_desktop.isNull())
        return false;
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(rect), m_desktop, source);
    return true;
}
