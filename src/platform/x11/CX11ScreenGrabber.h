#pragma once
// Screen grabs for recording over a connection of its own, through a shared-memory segment
// (XShm) when the server offers it; the pointer image from XFixes.
#include "IScreenGrabber.h"

#include <QSize>
#include <cstdint>

struct xcb_connection_t;

class CX11ScreenGrabber : public IScreenGrabber {
public:
    // Connects to `displayName` (empty: $DISPLAY). A grabber that could not connect returns null
    // images.
    explicit CX11ScreenGrabber(const QByteArray& displayName = {});
    ~CX11ScreenGrabber() override;
    CX11ScreenGrabber(const CX11ScreenGrabber&) = delete;
    CX11ScreenGrabber& operator=(const CX11ScreenGrabber&) = delete;

    QImage Grab(const QRect& rect) override;
    // From the server's damage reports on the root window (DAMAGE extension).
    bool MayHaveChanged() override;
    Pointer ReadPointer() override;
    int CursorSize() override;

private:
    bool EnsureSegment(qsizetype bytes);
    void DropSegment();

    xcb_connection_t* m_connection = nullptr;
    unsigned m_root = 0;
    bool m_hasShm = false;
    bool m_hasXFixes = false;
    unsigned m_damage = 0; // 0: the server reports no damage
    std::uint8_t m_damageEvent = 0;
    bool m_damaged = true;
    int m_shmId = -1;
    unsigned m_shmSeg = 0;
    uchar* m_shmData = nullptr;
    qsizetype m_shmBytes = 0;
    QImage m_fallback; // the picture when no shared memory is available
    unsigned m_cursorSerial = 0;
    Pointer m_pointer;
    int m_cursorSize = 0;
};
