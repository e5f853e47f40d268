#include "CPageCommands.h"

#include "CPageStore.h"
#include "CPages.h"
#include "CUndoHistory.h"

void CPageCommands::AfterPageChange(bool tellToolbar) {
    CPageStore::ShowOnly(m_pages, m_current);
    if (tellToolbar)
        m_host.SetPageInfo(static_cast<int>(m_current), static_cast<int>(m_pages.size()));
    m_host.PageShownChanged();
}

void CPageCommands::NewPage() {
    m_host.InterruptStroke();
    CPages::New(m_pages, m_current, m_host.PageSize(), m_host.PageRatio());
    AfterPageChange(true);
}

void CPageCommands::NextPage() {
    m_host.InterruptStroke();
    if (CPages::Next(m_pages, m_current))
        AfterPageChange(true);
}

void CPageCommands::PreviousPage() {
    m_host.InterruptStroke();
    if (CPages::Previous(m_current))
        AfterPageChange(true);
}

void CPageCommands::DeletePage() {
    m_host.InterruptStroke();
    // The counter stays as it was when the only page is cleared.
    bool removed = false;
    if (m_pages.size() == 1)
        m_canvas.ChangeWholePage(
            [&](_PageContext&) { removed = CPages::Delete(m_pages, m_current); });
    else
        removed = CPages::Delete(m_pages, m_current);
    AfterPageChange(removed);
}

void CPageCommands::Clear() {
    m_host.InterruptStroke();
    m_canvas.ChangeWholePage([](_PageContext& page) { CPages::Clear(page); });
    m_host.PageShownChanged();
}

void CPageCommands::ApplyHistory(bool redo) {
    _PageContext* page = m_canvas.Page();
    if (!page || m_host.IsDragging())
        return;
    if (!(redo ? CUndoHistory::Redo(*page) : CUndoHistory::Undo(*page)))
        return;
    m_host.PageShownChanged();
}

void CPageCommands::ChooseBoard(ARGB colour) {
    m_host.InterruptStroke();
    m_scene.boardColour = m_scene.backgroundColour = colour;
    m_scene.desktopScene = 0;
    m_host.PageShownChanged();
    m_host.BoardShown();
}

void CPageCommands::DesktopScene() {
    if (m_scene.desktopScene == 1)
        return;
    m_host.InterruptStroke();
    m_scene.desktopScene = 1;
    m_scene.backgroundColour = 0x01FFFFFF;
    m_host.PageShownChanged();
}

void CPageCommands::ToggleBoard() {
    if (m_scene.desktopScene == 0)
        DesktopScene();
    else
        ChooseBoard(m_scene.boardColour);
}
