#pragma once
// The overlay without a compositing manager, where alpha means nothing to the screen and the
// overlay would be an opaque black sheet: in pointer mode the window is cut to the shape of its
// ink (the desktop stays live around it); while drawing it shows the desktop as it was when
// drawing began, frozen under the ink. The user is told once.
#include <QImage>
#include <QRect>
#include <functional>

class IDialogs;
class IDisplayServer;
class QPainter;
class QWidget;

class CCompositorFallback {
public:
    CCompositorFallback(IDisplayServer& displayServer, IDialogs& dialogs)
        : m_displayServer(displayServer), m_dialogs(dialogs) {}

    bool IsCompositing() const { return m_compositing; }
    // A compositor came or went (the first time one is missing, the user hears why).
    void SetCompositing(bool compositing);

    // Drawing begins without a compositor: the desktop under `area` (logical, on the virtual
    // desktop) taken without our ink on it, `deviceSize` pixels at `ratio`.
    void FreezeDesktop(QWidget& window, const QRect& area, qreal ratio, const QSize& deviceSize);
    void Thaw() { m_desktop = QImage(); }

    // The window's shape: whole while drawing or composited, else the ink of the picture
    // `shown` gives.
    void UpdateShape(QWidget& window, bool pointerMode,
                     const std::function<const QImage&()>& shown);

    // Paints the frozen desktop within `rect` (overlay coordinates, `source` in its pixels);
    // false when there is none and the overlay's own alpha shows.
    bool PaintDesktop(QPainter& painter, const QRect& rect, const QRectF& source) const;

private:
    IDisplayServer& m_displayServer;
    IDialogs& m_dialogs;
    bool m_compositing = true;
    bool m_noticeShown = false;
    QImage m_desktop; // frozen under the ink while drawing
};
