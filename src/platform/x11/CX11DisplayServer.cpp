#include "CX11DisplayServer.h"

#include "CShapeRequests.h"
#include "XcbHandles.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <xcb/shape.h>
#include <xcb/xfixes.h>

namespace {
// How long a compositing manager gets to repaint after a change before a grab (a few frames).
constexpr int kCompositorSettleMs = 60;

xcb_atom_t InternAtom(xcb_connection_t* c, const QByteArray& name) {
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}
} // namespace

CX11DisplayServer::CX11DisplayServer() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    m_qtConnection = x11->connection();
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_qtConnection)).data->root;

    int screenNumber = 0;
    m_watch = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_watch)) {
        xcb_disconnect(m_watch);
        m_watch = nullptr;
        return;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(m_watch));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    m_watchRoot = it.data->root;
    m_cmAtom = InternAtom(m_watch, "_NET_WM_CM_S" + QByteArray::number(screenNumber));

    // Stacking changes of top-level windows arrive as substructure events on the root.
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_watch, m_watchRoot, XCB_CW_EVENT_MASK, &rootMask);

    // The compositing manager owns the _NET_WM_CM_Sn selection; XFixes tells when the owner
    // changes, so a manager started or stopped during the session is seen at once.
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(m_watch, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
        XcbReply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            m_watch, xcb_xfixes_query_version(m_watch, 5, 0), nullptr));
        m_xfixesEvent = xfixes->first_event;
        m_selectionWindow = xcb_generate_id(m_watch);
        xcb_create_window(m_watch, XCB_COPY_FROM_PARENT, m_selectionWindow, m_watchRoot, -1, -1, 1,
                          1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_xfixes_select_selection_input(
            m_watch, m_selectionWindow, m_cmAtom,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    m_compositing = QueryCompositing();
    xcb_flush(m_watch);

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_watch), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CX11DisplayServer::ReadWatchEvents);
    QTimer::singleShot(0, this, &CX11DisplayServer::ReadWatchEvents);
}

CX11DisplayServer::~CX11DisplayServer() {
    delete m_notifier;
    if (m_qtConnection && !xcb_connection_has_error(m_qtConnection)) {
        if (m_shapeScratch)
            xcb_destroy_window(m_qtConnection, m_shapeScratch);
        if (m_repickPixel)
            xcb_destroy_window(m_qtConnection, m_repickPixel);
        if (m_repickColormap)
            xcb_free_colormap(m_qtConnection, m_repickColormap);
    }
    if (m_watch)
        xcb_disconnect(m_watch);
}

bool CX11DisplayServer::QueryCompositing() {
    if (!m_watch || m_cmAtom == XCB_ATOM_NONE)
        return false;
    XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        m_watch, xcb_get_selection_owner(m_watch, m_cmAtom), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void CX11DisplayServer::ReadWatchEvents() {
    bool compositorEvent = false;
    // Replies read on this connection can bring events into xcb's queue without the socket
    // becoming readable again: drain the queue as well as the socket.
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(m_watch)}) {
        const uint8_t type = event->response_type & 0x7f;
        if (m_xfixesEvent && type == m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
            compositorEvent = true;
        } else if (type == XCB_CONFIGURE_NOTIFY || type == XCB_MAP_NOTIFY ||
                   type == XCB_CIRCULATE_NOTIFY || type == XCB_CREATE_NOTIFY) {
            // The window field follows the event window in each of these events.
            const auto* notify = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (m_repickPixel && notify->window == m_repickPixel)
                continue;
            m_stackingPending = true;
            // A restacked window may make the shell forget an emptied input shape.
            if (m_passThroughWindow && m_passThroughTimer)
                RestartPassThrough();
        }
    }
    if (xcb_connection_has_error(m_watch)) {
        // The server went away; Qt ends the program on its own connection.
        m_notifier->setEnabled(false);
        return;
    }
    if (compositorEvent) {
        const bool now = QueryCompositing();
        if (now != m_compositing) {
            m_compositing = now;
            if (m_onCompositing)
                m_onCompositing(now);
        }
        // The query's round trip may have queued further events.
        QTimer::singleShot(0, this, &CX11DisplayServer::ReadWatchEvents);
    }
    if (m_stackingPending) {
        // Several events usually come together; answer them once.
        QTimer::singleShot(0, this, [this] {
            if (!m_stackingPending)
                return;
            m_stackingPending = false;
            if (m_onStacking)
                m_onStacking();
        });
    }
}

void CX11DisplayServer::SetCompositingChangedHandler(std::function<void(bool)> handler) {
    m_onCompositing = std::move(handler);
}

void CX11DisplayServer::SetStackingChangedHandler(std::function<void()> handler) {
    m_onStacking = std::move(handler);
}

xcb_window_t CX11DisplayServer::TopLevelOf(xcb_window_t window) {
    xcb_window_t current = window;
    for (int depth = 0; depth < 16; ++depth) {
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_qtConnection, xcb_query_tree(m_qtConnection, current), nullptr));
        if (!tree || tree->parent == XCB_WINDOW_NONE || tree->parent == tree->root)
            return current;
        current = tree->parent;
    }
    return current;
}

std::vector<xcb_window_t> CX11DisplayServer::MappedTopLevels() {
    std::vector<xcb_window_t> mapped;
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(m_qtConnection, xcb_query_tree(m_qtConnection, m_root), nullptr));
    if (!tree)
        return mapped;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (int i = 0; i < count; ++i)
        cookies.push_back(xcb_get_window_attributes(m_qtConnection, children[i]));
    for (int i = 0; i < count; ++i) {
        XcbReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            m_qtConnection, cookies[static_cast<size_t>(i)], nullptr));
        // The repick pixel is shown only for a moment, and it must not make us restack.
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            children[i] != m_repickPixel)
            mapped.push_back(children[i]);
    }
    return mapped; // bottom to top
}

void CX11DisplayServer::KeepOnTop(const std::vector<WId>& bottomToTop) {
    if (!m_qtConnection || bottomToTop.empty())
        return;
    std::vector<xcb_window_t> wanted;
    for (WId id : bottomToTop)
        wanted.push_back(TopLevelOf(static_cast<xcb_window_t>(id)));
    const std::vector<xcb_window_t> mapped = MappedTopLevels();
    if (mapped.size() >= wanted.size() &&
        std::equal(wanted.begin(), wanted.end(), mapped.end() - static_cast<long>(wanted.size())))
        return;
    for (xcb_window_t window : wanted) {
        const uint32_t mode = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(m_qtConnection, window, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
    }
    xcb_flush(m_qtConnection);
}

void CX11DisplayServer::KeepBelow(WId window, WId above) {
    if (!m_qtConnection)
        return;
    const auto lower = static_cast<xcb_window_t>(window);
    const xcb_window_t upper = TopLevelOf(static_cast<xcb_window_t>(above));
    const std::vector<xcb_window_t> mapped = MappedTopLevels();
    const auto lowerAt = std::find(mapped.begin(), mapped.end(), lower);
    const auto upperAt = std::find(mapped.begin(), mapped.end(), upper);
    if (upperAt == mapped.end() || (lowerAt != mapped.end() && lowerAt < upperAt))
        return;
    const uint32_t values[] = {upper, XCB_STACK_MODE_BELOW};
    xcb_configure_window(m_qtConnection, lower,
                         XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    xcb_flush(m_qtConnection);
}

size_t CX11DisplayServer::MostRequestBytes() const {
    // In 4-byte units, the big-requests extension's when the server has it.
    const size_t server = size_t{xcb_get_maximum_request_length(m_qtConnection)} * 4;
    return m_mostRequestBytes ? std::min(server, m_mostRequestBytes) : server;
}

void CX11DisplayServer::SetBoundingShape(WId window, const std::optional<QRegion>& region) {
    if (!m_qtConnection)
        return;
    const auto w = static_cast<xcb_window_t>(window);
    if (!region) {
        xcb_shape_mask(m_qtConnection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, w, 0, 0,
                       XCB_PIXMAP_NONE);
        xcb_flush(m_qtConnection);
        return;
    }
    // One request longer than the server takes would end our connection, and the program with
    // it: a dense shape goes in several.
    const std::vector<CShapeRequests::CBatch> batches =
        CShapeRequests::Split(static_cast<int>(region->rectCount()), MostRequestBytes());
    if (batches.empty())
        return;
    // Sent in parts to our window, the screen would show each part's shape in turn: the parts
    // are put together on a window nobody sees, and set on ours from there in one request.
    const xcb_window_t target = batches.size() == 1 ? w : ShapeScratch(region->boundingRect());
    const QRect* rects = region->begin();
    std::vector<xcb_rectangle_t> part;
    for (size_t i = 0; i < batches.size(); ++i) {
        part.clear();
        for (int r = batches[i].first; r < batches[i].first + batches[i].count; ++r)
            part.push_back({static_cast<int16_t>(rects[r].x()), static_cast<int16_t>(rects[r].y()),
                            static_cast<uint16_t>(rects[r].width()),
                            static_cast<uint16_t>(rects[r].height())});
        xcb_shape_rectangles(m_qtConnection, i == 0 ? XCB_SHAPE_SO_SET : XCB_SHAPE_SO_UNION,
                             XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, target, 0, 0,
                             static_cast<uint32_t>(part.size()), part.data());
    }
    if (target != w)
        xcb_shape_combine(m_qtConnection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                          XCB_SHAPE_SK_BOUNDING, w, 0, 0, target);
    xcb_flush(m_qtConnection);
}

xcb_window_t CX11DisplayServer::ShapeScratch(const QRect& extent) {
    // Never mapped; as large as the shape, so nothing of it is cut off.
    const uint32_t size[] = {static_cast<uint32_t>(std::clamp(extent.right() + 1, 1, 32767)),
                             static_cast<uint32_t>(std::clamp(extent.bottom() + 1, 1, 32767))};
    if (!m_shapeScratch) {
        m_shapeScratch = xcb_generate_id(m_qtConnection);
        xcb_create_window(m_qtConnection, XCB_COPY_FROM_PARENT, m_shapeScratch, m_root, 0, 0,
                          static_cast<uint16_t>(size[0]), static_cast<uint16_t>(size[1]), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    } else {
        xcb_configure_window(m_qtConnection, m_shapeScratch,
                             XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    }
    return m_shapeScratch;
}

void CX11DisplayServer::Flush() {
    if (m_qtConnection)
        xcb_flush(m_qtConnection);
}

void CX11DisplayServer::GiveKeyboardFocus(WId window) {
    if (!m_qtConnection)
        return;
    // Qt stamps its own request with the time of the last event it saw; a shortcut arrives on
    // our own connection, so that time can be older than the last focus change, and the server
    // would ignore the request. The current time is never too old.
    xcb_set_input_focus(m_qtConnection, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(window),
                        XCB_CURRENT_TIME);
    xcb_flush(m_qtConnection);
}

void CX11DisplayServer::RoundTrip() {
    if (!m_qtConnection)
        return;
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(m_qtConnection, xcb_get_input_focus(m_qtConnection), nullptr));
}

void CX11DisplayServer::SyncWithScreen() {
    RoundTrip();
    if (m_compositing)
        QThread::msleep(kCompositorSettleMs);
}

QImage CX11DisplayServer::GrabScreen(const QRect& rect) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    // grabWindow takes logical coordinates relative to the screen's virtual desktop.
    const qreal ratio = screen->devicePixelRatio();
    const QRect logical(qRound(rect.x() / ratio), qRound(rect.y() / ratio),
                        qRound(rect.width() / ratio), qRound(rect.height() / ratio));
    return screen->grabWindow(0, logical.x(), logical.y(), logical.width(), logical.height())
        .toImage()
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void CX11DisplayServer::PointerPassesThrough(WId window, bool passes) {
    if (!m_reassertPassThrough || !m_qtConnection)
        return;
    if (!m_passThroughTimer) {
        m_passThroughTimer = new QTimer(this);
        m_passThroughTimer->setSingleShot(true);
        connect(m_passThroughTimer, &QTimer::timeout, this,
                &CX11DisplayServer::ReassertPassThroughStep);
    }
    // Another window's shape that we left whole in between is emptied at once (for the same
    // window, Qt has just set the shape it wants).
    if (m_passThroughWindow && m_passThroughWindow != static_cast<xcb_window_t>(window) &&
        m_passThroughStep == 1 && m_passThroughPasses)
        SetInputShapeEmpty(m_passThroughWindow);
    m_passThroughWindow = static_cast<xcb_window_t>(window);
    m_passThroughPasses = passes;
    RestartPassThrough();
}

void CX11DisplayServer::SetInputShapeEmpty(xcb_window_t window) {
    xcb_shape_rectangles(m_qtConnection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                         XCB_CLIP_ORDERING_UNSORTED, window, 0, 0, 0, nullptr);
}

void CX11DisplayServer::RestartPassThrough() {
    if (m_passThroughStep == 1 && m_passThroughPasses)
        SetInputShapeEmpty(m_passThroughWindow);
    if (m_passThroughStep == 3)
        ShowRepickPixel(m_passThroughWindow, false);
    xcb_flush(m_qtConnection);
    // Once the restacking or repainting that came with the change has settled; a window that
    // takes the pointer needs only the shell's new look, at once.
    m_passThroughStep = m_passThroughPasses ? 0 : 2;
    m_passThroughRound = 0;
    m_passThroughTimer->start(m_passThroughPasses ? kPassThroughSettleMs : 0);
}

void CX11DisplayServer::ReassertPassThroughStep() {
    if (!m_passThroughWindow || m_passThroughStep > 3)
        return;
    const xcb_window_t window = m_passThroughWindow;
    switch (m_passThroughStep++) {
    case 0:
        // Whole for a moment (the default shape), so that the empty one below is a change.
        xcb_shape_mask(m_qtConnection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, window, 0, 0,
                       XCB_PIXMAP_NONE);
        break;
    case 1:
        SetInputShapeEmpty(window);
        break;
    case 2:
        // A new window, even a transparent pixel, has the shell paint and look again.
        ShowRepickPixel(window, true);
        break;
    default:
        ShowRepickPixel(window, false);
        xcb_flush(m_qtConnection);
        // Once more a little later, for what settled only meanwhile.
        if (m_passThroughRound++ == 0) {
            m_passThroughStep = m_passThroughPasses ? 0 : 2;
            m_passThroughTimer->start(kPassThroughAgainMs);
        }
        return;
    }
    xcb_flush(m_qtConnection);
    m_passThroughTimer->start(kPassThroughStepMs);
}

void CX11DisplayServer::ShowRepickPixel(xcb_window_t below, bool show) {
    if (!show) {
        if (m_repickPixel)
            xcb_unmap_window(m_qtConnection, m_repickPixel);
        return;
    }
    if (!m_repickPixel) {
        // A 32-bit visual with a transparent background: nothing shows, even for a moment.
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_qtConnection)).data;
        xcb_visualid_t visual = 0;
        for (auto depth = xcb_screen_allowed_depths_iterator(screen); depth.rem && !visual;
             xcb_depth_next(&depth)) {
            if (depth.data->depth != 32)
                continue;
            auto visuals = xcb_depth_visuals_iterator(depth.data);
            if (visuals.rem)
                visual = visuals.data->visual_id;
        }
        if (!visual)
            return;
        m_repickColormap = xcb_generate_id(m_qtConnection);
        xcb_create_colormap(m_qtConnection, XCB_COLORMAP_ALLOC_NONE, m_repickColormap, m_root,
                            visual);
        m_repickPixel = xcb_generate_id(m_qtConnection);
        const uint32_t values[] = {0, 0, 1, m_repickColormap};
        xcb_create_window(m_qtConnection, 32, m_repickPixel, m_root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT |
                              XCB_CW_COLORMAP,
                          values);
    }
    // Under the window, so that our own stacking stays as it is.
    const uint32_t stacking[] = {TopLevelOf(below), XCB_STACK_MODE_BELOW};
    xcb_configure_window(m_qtConnection, m_repickPixel,
                         XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, stacking);
    xcb_map_window(m_qtConnection, m_repickPixel);
}
