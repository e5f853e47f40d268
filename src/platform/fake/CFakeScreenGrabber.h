#pragma once
// A screen for recording tests: a picture the test sets, a pointer it places, and a count of
// grabs. Thread-safe, as the recorder calls it from its streaming thread.
#include "IScreenGrabber.h"

#include <QColor>
#include <atomic>
#include <functional>
#include <mutex>

class CFakeScreenGrabber : public IScreenGrabber {
public:
    explicit CFakeScreenGrabber(QSize screenSize = QSize(640, 480)) {
        m_screen = QImage(screenSize, QImage::Format_RGB32);
        m_screen.fill(QColor(0, 0, 128));
    }

    void SetScreen(const QImage& screen) {
        std::lock_guard lock(m_mutex);
        m_screen = screen.convertToFormat(QImage::Format_RGB32);
        m_drawn = true;
    }
    // Whether MayHaveChanged tells a screen unchanged since the last grab, like a display
    // server's damage reports (off: it always says it may have changed).
    void SetReportsDamage(bool on) { m_reportsDamage = on; }
    void SetPointer(const Pointer& pointer) {
        std::lock_guard lock(m_mutex);
        m_pointer = pointer;
    }
    void SetCursorSize(int size) { m_cursorSize = size; }
    int GrabCount() const { return m_grabs; }
    // What Begin does, as a desktop that is asked to share the screen (none: it agrees).
    std::function<bool(QString* reason)> onBegin;
    int begins = 0;
    bool Begin(bool, QString* reason) override {
        ++begins;
        return onBegin ? onBegin(reason) : true;
    }
    QRect LastRect() const {
        std::lock_guard lock(m_mutex);
        return m_lastRect;
    }

    QImage Grab(const QRect& rect) override {
        std::lock_guard lock(m_mutex);
        ++m_grabs;
        m_lastRect = rect;
        m_drawn = false;
        if (!m_screen.rect().contains(rect))
            return {};
        return m_screen.copy(rect);
    }
    Pointer ReadPointer() override {
        std::lock_guard lock(m_mutex);
        return m_pointer;
    }
    int CursorSize() override { return m_cursorSize; }
    bool MayHaveChanged() override { return !m_reportsDamage || m_drawn; }

private:
    mutable std::mutex m_mutex;
    QImage m_screen;
    Pointer m_pointer;
    QRect m_lastRect;
    std::atomic<int> m_cursorSize{32};
    std::atomic<int> m_grabs{0};
    std::atomic<bool> m_reportsDamage{false};
    std::atomic<bool> m_drawn{true};
};
