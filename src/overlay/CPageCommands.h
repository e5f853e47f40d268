#pragma once
// The commands on pages and scenes: a new page, the next and the one before, deleting and
// clearing a page, undo and redo on the page shown, and the boards and the desktop behind it.
// A stroke being drawn ends as one undo step before any of them changes the page or the scene.
#include "CCanvas.h"
#include "GraphicsTypes.h"
#include "_PageContext.h"

#include <QSize>
#include <memory>
#include <vector>

class CPageCommands {
public:
    // What the commands need of the overlay.
    class IHost {
    public:
        // A drag that writes the page ends here.
        virtual void InterruptStroke() = 0;
        virtual bool IsDragging() const = 0;
        // The page or the scene changed: the surface is rebuilt and the tools prepare again.
        virtual void PageShownChanged() = 0;
        virtual void SetPageInfo(int current, int count) = 0;
        // The size and the device pixel ratio a new page is made at.
        virtual QSize PageSize() const = 0;
        virtual qreal PageRatio() const = 0;
        // A board came up: drawing on it begins (pointer mode ends).
        virtual void BoardShown() = 0;

    protected:
        ~IHost() = default;
    };
    // The scene behind the page: the desktop (1) or a board (0) of `boardColour`, and the
    // colour the surface is cleared to under the page.
    struct Scene {
        int& desktopScene;
        ARGB& backgroundColour;
        ARGB& boardColour;
    };

    CPageCommands(CCanvas::Pages& pages, size_t& currentPage, CCanvas& canvas, Scene scene,
                  IHost& host)
        : m_pages(pages), m_current(currentPage), m_canvas(canvas), m_scene(scene), m_host(host) {}

    void NewPage();
    void NextPage();
    void PreviousPage();
    // The only page is cleared instead, and that can be undone like Clear.
    void DeletePage();
    void Clear();
    // Not in the middle of a drag: the stroke being drawn is not a step yet.
    void Undo() { ApplyHistory(false); }
    void Redo() { ApplyHistory(true); }
    void ChooseBoard(ARGB colour);
    void DesktopScene();
    // The toggle between the desktop and the last board.
    void ToggleBoard();

private:
    void AfterPageChange(bool tellToolbar);
    void ApplyHistory(bool redo);

    CCanvas::Pages& m_pages;
    size_t& m_current;
    CCanvas& m_canvas;
    Scene m_scene;
    IHost& m_host;
};
