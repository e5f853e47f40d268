#include "CX11ScreenGrabber.h"

#include "XcbHandles.h"

#include <QByteArray>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/damage.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

CX11ScreenGrabber::CX11ScreenGrabber(const QByteArray& displayName) {
    m_connection = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), nullptr);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;

    XcbReply<xcb_shm_query_version_reply_t> shm(
        xcb_shm_query_version_reply(m_connection, xcb_shm_query_version(m_connection), nullptr));
    m_hasShm = shm != nullptr;
    XcbReply<xcb_xfixes_query_version_reply_t> xfixes(xcb_xfixes_query_version_reply(
        m_connection, xcb_xfixes_query_version(m_connection, 4, 0), nullptr));
    m_hasXFixes = xfixes != nullptr;

    // A damage object on the root window: the server sends one event when something is drawn
    // after the damage was last cleared, so an unchanged screen need not be read at all.
    const xcb_query_extension_reply_t* damage =
        xcb_get_extension_data(m_connection, &xcb_damage_id);
    if (damage && damage->present) {
        XcbReply<xcb_damage_query_version_reply_t> version(xcb_damage_query_version_reply(
            m_connection, xcb_damage_query_version(m_connection, 1, 1), nullptr));
        const unsigned id = xcb_generate_id(m_connection);
        XcbReply<xcb_generic_error_t> error(xcb_request_check(
            m_connection, xcb_damage_create_checked(m_connection, id, m_root,
                                                    XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY)));
        if (version && !error) {
            m_damage = id;
            m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        }
    }
}

bool CX11ScreenGrabber::MayHaveChanged() {
    if (!m_connection || !m_damage)
        return true;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7F) == m_damageEvent)
            m_damaged = true;
        std::free(event);
    }
    return m_damaged;
}

CX11ScreenGrabber::~CX11ScreenGrabber() {
    DropSegment();
    if (m_connection)
        xcb_disconnect(m_connection);
}

void CX11ScreenGrabber::DropSegment() {
    if (m_shmData) {
        if (m_connection)
            xcb_shm_detach(m_connection, m_shmSeg);
        shmdt(m_shmData);
        m_shmData = nullptr;
    }
    m_shmBytes = 0;
}

bool CX11ScreenGrabber::EnsureSegment(qsizetype bytes) {
    if (m_shmData && m_shmBytes >= bytes)
        return true;
    DropSegment();
    // The segment is marked for removal at once: it goes away with the last detach, even when
    // the program is killed.
    const int id = shmget(IPC_PRIVATE, static_cast<size_t>(bytes), IPC_CREAT | 0600);
    if (id < 0)
        return false;
    void* data = shmat(id, nullptr, 0);
    shmctl(id, IPC_RMID, nullptr);
    if (data == reinterpret_cast<void*>(-1))
        return false;
    m_shmSeg = xcb_generate_id(m_connection);
    XcbReply<xcb_generic_error_t> error(
        xcb_request_check(m_connection, xcb_shm_attach_checked(m_connection, m_shmSeg, id, 0)));
    if (error) {
        shmdt(data);
        return false;
    }
    m_shmId = id;
    m_shmData = static_cast<uchar*>(data);
    m_shmBytes = bytes;
    return true;
}

QImage CX11ScreenGrabber::Grab(const QRect& rect) {
    if (!m_connection || rect.isEmpty())
        return {};
    const qsizetype bytes = qsizetype(rect.width()) * rect.height() * 4;
    if (m_damage) {
        // Cleared before the picture is read: whatever is drawn from here on is reported and
        // makes the next grab, so nothing drawn between the two requests is lost.
        xcb_damage_subtract(m_connection, m_damage, XCB_NONE, XCB_NONE);
        m_damaged = false;
    }
    if (m_hasShm && EnsureSegment(bytes)) {
        XcbReply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
            m_connection,
            xcb_shm_get_image(m_connection, m_root, static_cast<int16_t>(rect.x()),
                              static_cast<int16_t>(rect.y()), static_cast<uint16_t>(rect.width()),
                              static_cast<uint16_t>(rect.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                              m_shmSeg, 0),
            nullptr));
        if (reply)
            return QImage(m_shmData, rect.width(), rect.height(), rect.width() * 4,
                          QImage::Format_RGB32);
        // A failed shared grab (the rectangle leaves the screen, say) falls through to the plain
        // request, which reports the same failure without a segment.
    }
    XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root,
                      static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
                      static_cast<uint16_t>(rect.width()), static_cast<uint16_t>(rect.height()),
                      ~0u),
        nullptr));
    if (!reply || xcb_get_image_data_length(reply.get()) < bytes) {
        m_damaged = true; // nothing was read: the next grab must not be skipped
        return {};
    }
    if (m_fallback.size() != rect.size())
        m_fallback = QImage(rect.size(), QImage::Format_RGB32);
    for (int y = 0; y < rect.height(); ++y)
        std::memcpy(m_fallback.scanLine(y),
                    xcb_get_image_data(reply.get()) + qsizetype(y) * rect.width() * 4,
                    static_cast<size_t>(rect.width()) * 4);
    return m_fallback;
}

IScreenGrabber::Pointer CX11ScreenGrabber::ReadPointer() {
    if (!m_connection || !m_hasXFixes)
        return {};
    XcbReply<xcb_xfixes_get_cursor_image_reply_t> reply(xcb_xfixes_get_cursor_image_reply(
        m_connection, xcb_xfixes_get_cursor_image(m_connection), nullptr));
    if (!reply)
        return {};
    // The image is rebuilt only when the pointer's shape changed.
    if (reply->cursor_serial != m_cursorSerial || m_pointer.image.isNull()) {
        m_cursorSerial = reply->cursor_serial;
        QImage image(reply->width, reply->height, QImage::Format_ARGB32_Premultiplied);
        const uint32_t* pixels = xcb_xfixes_get_cursor_image_cursor_image(reply.get());
        for (int y = 0; y < reply->height; ++y)
            std::memcpy(image.scanLine(y), pixels + qsizetype(y) * reply->width,
                        static_cast<size_t>(reply->width) * 4);
        m_pointer.image = image;
        m_pointer.hotSpot = QPoint(reply->xhot, reply->yhot);
    }
    m_pointer.position = QPoint(reply->x, reply->y);
    // An invisible pointer is a fully transparent image (XFixes has no visibility flag).
    m_pointer.visible = reply->width > 0 && reply->height > 0;
    return m_pointer;
}

int CX11ScreenGrabber::CursorSize() {
    if (m_cursorSize > 0)
        return m_cursorSize;
    m_cursorSize = qEnvironmentVariableIntValue("XCURSOR_SIZE");
    if (m_cursorSize <= 0 && m_connection) {
        // The desktop's choice, as Xcursor reads it from the resource database.
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0,
                             1 << 16),
            nullptr));
        if (reply) {
            const QByteArray resources(
                static_cast<const char*>(xcb_get_property_value(reply.get())),
                xcb_get_property_value_length(reply.get()));
            for (const QByteArray& line : resources.split('\n'))
                if (line.startsWith("Xcursor.size:"))
                    m_cursorSize = line.mid(13).trimmed().toInt();
        }
    }
    // Xcursor's own default for a 96-dpi screen when nothing is set.
    if (m_cursorSize <= 0)
        m_cursorSize = 24;
    return m_cursorSize;
}
