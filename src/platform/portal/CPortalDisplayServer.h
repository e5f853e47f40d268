#pragma once
// The display server of a Wayland session: the program's windows live on XWayland, so
// stacking, shapes and focus go to the X11 display server as ever, but the screen is read
// through the desktop's Screenshot portal (a rootless XWayland has nothing to read), and the
// Wayland compositor blends every window's alpha, whatever X11 says about a compositing
// manager.
//
// User-interface thread only.
#include "IDisplayServer.h"
#include "portal/CPortalScreenshot.h"

#include <functional>
#include <memory>

class CPortalDisplayServer : public IDisplayServer {
public:
    // `x11`: the XWayland display server. `parentWindow`: the window that owns whatever the
    // desktop shows for the screenshot (the toolbar).
    CPortalDisplayServer(std::unique_ptr<IDisplayServer> x11,
                         std::function<unsigned long()> parentWindow,
                         std::unique_ptr<CPortalScreenshot> screenshot = nullptr);

    bool IsCompositing() const override { return true; }
    void SetCompositingChangedHandler(std::function<void(bool)>) override {}
    void SetStackingChangedHandler(std::function<void()> handler) override;
    void KeepOnTop(const std::vector<WId>& bottomToTop) override;
    void KeepBelow(WId window, WId above) override;
    void SetBoundingShape(WId window, const std::optional<QRegion>& region) override;
    void Flush() override;
    void GiveKeyboardFocus(WId window) override;
    void SyncWithScreen() override;
    QImage GrabScreen(const QRect& rect) override;
    QString GrabError() const override { return m_grabError; }
    void PointerPassesThrough(WId window, bool passes) override;

    // The part of the desktop's picture that shows `rect`, a rectangle of the X screen
    // `screenSize` (device pixels): the picture may have another resolution than XWayland's
    // screen (a scaled desktop), and the part keeps the picture's resolution.
    static QRect MapToPicture(const QRect& rect, const QSize& screenSize,
                              const QSize& pictureSize);
    // Tests set the X screen's size; by default it is Qt's virtual desktop in device pixels.
    void SetScreenSize(const QSize& size) { m_screenSize = size; }

private:
    QSize ScreenSize() const;

    std::unique_ptr<IDisplayServer> m_x11;
    std::function<unsigned long()> m_parentWindow;
    std::unique_ptr<CPortalScreenshot> m_screenshot;
    QString m_grabError;
    QSize m_screenSize;
};
