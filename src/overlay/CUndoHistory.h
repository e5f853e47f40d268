#pragma once
// Undo and redo of what the drawing tools, a committed text and Clear do to a page. Each page
// keeps its own steps (in its _PageContext, so they follow it through new and deleted pages);
// this class makes the steps and keeps all of them together under one memory cap, dropping the
// oldest first.
#include "_PageContext.h"

#include <QImage>
#include <memory>
#include <vector>

class CUndoHistory {
public:
    using Pages = std::vector<std::unique_ptr<_PageContext>>;
    static constexpr size_t kDefaultCapBytes = size_t{256} * 1024 * 1024;

    explicit CUndoHistory(size_t capBytes = kDefaultCapBytes) : m_capBytes(capBytes) {}

    // Remembers the shown page as it is, before a change to it.
    void BeginStep(const _PageContext& page);
    bool IsStepOpen() const { return m_open; }
    // The page shown changed before the step ended: no step is made.
    void CancelStep() { m_open = false; }
    // What changed on the page since BeginStep becomes one step of its history, and the steps
    // that could be redone are gone. Nothing changed: no step. Returns whether a step was made.
    bool EndStep(_PageContext& page, Pages& pages);

    // Put the box of the last step back as it was (undo) or as the step left it (redo). False
    // when there is nothing to undo or redo.
    static bool Undo(_PageContext& page);
    static bool Redo(_PageContext& page);

    // A display change stretched every page: no step fits any more.
    void ForgetAll(Pages& pages);
    // Memory held by every page's steps.
    static size_t Bytes(const Pages& pages);
    size_t CapBytes() const { return m_capBytes; }

private:
    void KeepUnderCap(Pages& pages);

    size_t m_capBytes;
    QImage m_before;        // the page at BeginStep; kept between steps to save allocating it again
    qint64 m_beforeKey = 0; // the cache key of the page m_before was last made equal to
    bool m_open = false;
    std::uint64_t m_serial = 0;
};
