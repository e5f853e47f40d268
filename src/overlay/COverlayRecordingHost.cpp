#include "COverlayRecordingHost.h"

#include "CMainWindow.h"

CRecordingControl::Host COverlayRecordingHost::Make(CMainWindow& overlay) {
    CMainWindow* const window = &overlay;
    // Screen rectangles in the device pixels recordings are made of: a display keeps its origin
    // and scales its size.
    auto toDevice = [window](const QRect& rect) {
        const qreal ratio = window->DevicePixelRatio();
        const QPoint origin = window->display->CurrentEntry().monitorRect.topLeft();
        return QRect(origin + (rect.topLeft() - origin) * ratio,
                     QSize(qRound(rect.width() * ratio), qRound(rect.height() * ratio)));
    };
    CRecordingControl::Host host;
    host.dialogOwner = [window]() -> QWidget* {
        return window->ToolbarWindow() ? window->ToolbarWindow() : window;
    };
    host.warningOwner = [window]() -> QWidget* { return window; };
    host.monitorRect = [window, toDevice] {
        return toDevice(window->display->CurrentEntry().monitorRect);
    };
    host.clipRect = [window, toDevice] {
        const QRect& clipRegion = window->clipRegion;
        if (clipRegion.width() <= 0 || clipRegion.height() <= 0)
            return QRect();
        return toDevice(clipRegion.translated(window->display->OverlayRect().topLeft()));
    };
    host.enterPointerMode = [window] { window->EnterPointerMode(); };
    host.setRecordState = [window](bool on) {
        if (window->toolbar)
            window->toolbar->SetRecordState(on);
    };
    host.setPauseState = [window](bool on, bool pausedNow) {
        if (window->toolbar)
            window->toolbar->SetPauseState(on, pausedNow);
    };
    host.showRecordingTime = [window](const QString& time, bool dotLit, bool shown) {
        if (window->toolbar)
            window->toolbar->SetRecordingTime(time, dotLit, shown);
    };
    return host;
}
