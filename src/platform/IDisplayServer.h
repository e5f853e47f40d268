#pragma once
// What the program needs from the display server beyond what Qt offers: the compositing
// manager's presence, the stacking order of top-level windows, window shapes and a way to wait
// until a change has reached the screen. The X11 implementation lives in x11/, a scripted one
// for tests in fake/.
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QWindow>
#include <functional>
#include <optional>
#include <vector>

class IDisplayServer {
public:
    virtual ~IDisplayServer() = default;

    // Whether a compositing manager runs now, so per-pixel alpha shows as alpha.
    virtual bool IsCompositing() const = 0;
    // Called on the user-interface thread when a compositing manager starts or stops.
    virtual void SetCompositingChangedHandler(std::function<void(bool)> handler) = 0;
    // Called on the user-interface thread after the stacking of top-level windows changed.
    virtual void SetStackingChangedHandler(std::function<void()> handler) = 0;

    // Makes the windows the topmost ones, in this order from bottom to top; does nothing when
    // they stand so already (so that answering a stacking change cannot loop).
    virtual void KeepOnTop(const std::vector<WId>& bottomToTop) = 0;
    // Places `window` directly below the top-level window that holds `above` (under a window
    // manager, that is the manager's frame around it), unless it stands below it already.
    virtual void KeepBelow(WId window, WId above) = 0;
    // Sets the visible shape of a window (device pixels); no value removes the shape. An empty
    // region hides the window's whole area while it stays mapped.
    virtual void SetBoundingShape(WId window, const std::optional<QRegion>& region) = 0;
    // Sends what is queued for the server now (requests made outside its event handling).
    virtual void Flush() = 0;
    // Gives the keyboard to one of our windows that bypasses the window manager.
    virtual void GiveKeyboardFocus(WId window) = 0;
    // Returns once what was painted so far has reached the screen: a round trip to the server,
    // then a short bounded wait for the compositing manager to repaint.
    virtual void SyncWithScreen() = 0;
    // The screen's picture in a rectangle of device pixels, after compositing. A null image
    // when the screen cannot be read; GrabError() then says why.
    virtual QImage GrabScreen(const QRect& rect) = 0;
    // Why the last GrabScreen gave no picture, for the user (empty: no reason known).
    virtual QString GrabError() const { return {}; }
    // The window's input shape was just emptied (`passes` true: the pointer goes through it
    // to what is beneath) or made whole again; told again after each repaint of a window that
    // passes the pointer through. A server that applies input shapes at once has nothing to
    // do.
    virtual void PointerPassesThrough(WId /*window*/, bool /*passes*/) {}
};
