#pragma once
// Reads the screen for recording frames: the picture after compositing (every window, the
// overlay's ink included) and the pointer. The recorder's streaming thread is its only caller;
// an implementation keeps its own connection to the display so it never races the
// user-interface thread.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

class IScreenGrabber {
public:
    struct Pointer {
        bool visible = false;
        QPoint position; // device pixels, screen coordinates
        QPoint hotSpot;  // inside the image
        QImage image;    // premultiplied ARGB
    };

    virtual ~IScreenGrabber() = default;

    // The screen inside `rect` (device pixels) as Format_RGB32. The image may share memory with
    // the grabber and stays valid until the next call. A null image: the screen cannot be read.
    virtual QImage Grab(const QRect& rect) = 0;
    // False only when the grabber knows that nothing on the screen has been drawn since the
    // last Grab, so a new grab would show the same picture. One that cannot tell says true.
    virtual bool MayHaveChanged() { return true; }
    // Where the pointer is and how it looks now.
    virtual Pointer ReadPointer() = 0;
    // The nominal pointer size in pixels (the size the desktop asks pointer themes for).
    virtual int CursorSize() = 0;

    // A grabber that needs the desktop's consent or a stream of its own: prepares it as a
    // recording starts and releases it as it ends (user-interface thread). False, with the
    // reason for the user, when the screen cannot be recorded.
    virtual bool Begin(bool wantPointer, QString* reason) {
        (void)wantPointer;
        (void)reason;
        return true;
    }
    virtual void End() {}
    // Non-empty once the screen stopped coming for good while recording (the desktop ended
    // the sharing): what to tell the user. Any thread.
    virtual QString EndedReason() const { return {}; }
};
