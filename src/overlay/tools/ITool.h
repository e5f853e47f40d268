#pragma once
// One drawing tool. The overlay routes the pointer, the drawing tick, keys and the wheel to
// the current tool, in overlay coordinates; the tool writes to the page through the host's
// canvas and shows what is not written yet on the host's preview layer. The overlay composes
// and presents whatever changed after each call, so a tool never touches the window.
//
// A tool is chosen by its number (the overlay's `tool`): 0 pen, 1 marker, 2 eraser, 3 region
// selection, 4 text; new tools take new numbers in the tool registry.
#include <QCursor>
#include <QPoint>
#include <QString>
#include <Qt>
#include <cstdint>

class ITool {
public:
    virtual ~ITool() = default;

    // Whether a drag with this tool writes the page (and so is one undo step, ended early when
    // the page or the scene changes under it).
    virtual bool WritesPage() const = 0;

    // The tool became the current one, or the page under it changed (another page, undo,
    // Clear, another scene or display): whatever it prepared from the page is made again.
    virtual void Chosen() {}
    virtual void PageChanged() {}

    // The drag: the press, the pointer's moves (gathered), the release.
    virtual void Press(const QPoint& at) = 0;
    virtual void Move(const QPoint& at) = 0;
    virtual void Release(const QPoint& at) = 0;
    // The drag ends before its release (a page or scene command arrived in the middle of it):
    // what it drew so far stays, as one undo step; a preview goes.
    virtual void Cancel() = 0;

    // The drawing tick (every kStrokePeriodMs while any tool wants it), with the time from the
    // overlay's clock, so tools that animate can be stepped by tests.
    virtual bool WantsTicks() const = 0;
    virtual void Tick(std::uint32_t nowMs) = 0;

    // Keys and the wheel while the overlay has the keyboard; true: the tool used them and they
    // go no further.
    virtual bool Key(int /*key*/, Qt::KeyboardModifiers /*modifiers*/) { return false; }
    virtual bool Wheel(int /*angleDelta*/, Qt::KeyboardModifiers /*modifiers*/) { return false; }

    // The pointer's shape over the overlay, and the caption of the drop-down the right button
    // opens (empty: none).
    virtual QCursor Cursor() = 0;
    virtual QString MenuCaption() const { return QString(); }
};
