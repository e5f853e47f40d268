#pragma once
#include "IDisplayServer.h"

#include <QObject>
#include <xcb/xcb.h>

class QSocketNotifier;

// The display server as X11 gives it. Requests on the program's own windows go through Qt's
// connection (so they are ordered with Qt's own requests); watching the root window and the
// compositing manager's selection uses a second connection of ours, so that our event mask on
// the root window does not replace Qt's.
class CX11DisplayServer : public QObject, public IDisplayServer {
public:
    CX11DisplayServer();
    ~CX11DisplayServer() override;

    bool IsAvailable() const { return m_qtConnection != nullptr; }

    bool IsCompositing() const override { return m_compositing; }
    void SetCompositingChangedHandler(std::function<void(bool)> handler) override;
    void SetStackingChangedHandler(std::function<void()> handler) override;
    void KeepOnTop(const std::vector<WId>& bottomToTop) override;
    void KeepBelow(WId window, WId above) override;
    void SetBoundingShape(WId window, const std::optional<QRegion>& region) override;
    void SyncWithScreen() override;
    void Flush() override;
    void GiveKeyboardFocus(WId window) override;
    QImage GrabScreen(const QRect& rect) override;
    // Off by default: on a plain X server an input shape counts at once.
    void PointerPassesThrough(WId window, bool passes) override;
    // Under XWayland, GNOME Shell 43 may go on sending the pointer where it went before a
    // window's input shape changed: it forgets an emptied input shape when the window is
    // restacked or repainted after it, and it does not look again at what is under a pointer
    // that stays where it was. On, after each change, restack or repaint, an emptied shape is
    // set again (whole, then empty: the shell reads only a change) and a transparent pixel is
    // shown for a moment, which has the shell paint and look again; all of it once more half
    // a second later. A window that takes the pointer again gets the pixel at once.
    void SetReassertPassThrough(bool on) { m_reassertPassThrough = on; }
    // The steps of that, in milliseconds.
    static constexpr int kPassThroughSettleMs = 100;
    static constexpr int kPassThroughStepMs = 80;
    static constexpr int kPassThroughAgainMs = 500;
    // One round trip on Qt's connection: everything sent before has been handled by the server.
    void RoundTrip();
    // The most bytes one request may take: the server's limit, or a lower one (tests, so that
    // a small shape already goes in several requests). 0: the server's.
    size_t MostRequestBytes() const;
    void SetMostRequestBytes(size_t bytes) { m_mostRequestBytes = bytes; }

private:
    void ReadWatchEvents();
    bool QueryCompositing();
    xcb_window_t TopLevelOf(xcb_window_t window);
    std::vector<xcb_window_t> MappedTopLevels();
    // An unmapped window of ours covering `extent`, where a shape sent in parts is put together.
    xcb_window_t ShapeScratch(const QRect& extent);
    void ReassertPassThroughStep();
    void RestartPassThrough();
    void SetInputShapeEmpty(xcb_window_t window);
    // A 1x1 fully transparent window of ours, mapped for a moment under `below`.
    void ShowRepickPixel(xcb_window_t below, bool show);

    xcb_connection_t* m_qtConnection = nullptr;
    xcb_window_t m_root = 0;
    xcb_connection_t* m_watch = nullptr;
    xcb_window_t m_watchRoot = 0;
    xcb_window_t m_selectionWindow = 0;
    xcb_atom_t m_cmAtom = 0;
    uint8_t m_xfixesEvent = 0;
    bool m_compositing = false;
    bool m_stackingPending = false;
    QSocketNotifier* m_notifier = nullptr;
    xcb_window_t m_shapeScratch = 0;
    size_t m_mostRequestBytes = 0;
    bool m_reassertPassThrough = false;
    xcb_window_t m_passThroughWindow = 0; // the window whose input shape changed last
    bool m_passThroughPasses = false;     // whether it passes the pointer through
    int m_passThroughStep = 0;
    int m_passThroughRound = 0;
    QTimer* m_passThroughTimer = nullptr;
    xcb_window_t m_repickPixel = 0;
    xcb_colormap_t m_repickColormap = 0;
    std::function<void(bool)> m_onCompositing;
    std::function<void()> m_onStacking;
};
