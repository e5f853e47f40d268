#include "CWindowStacking.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <algorithm>
#include <optional>
#include <utility>

void CWindowStacking::Add(QWidget* window, EStackTier tier) {
    SetStackTier(window, tier);
    if (window && window->isVisible())
        Keep();
}

void CWindowStacking::Keep() {
    if (m_stopped || !m_overlay.isVisible())
        return;
    for (auto it = m_openDialogs.rbegin(); it != m_openDialogs.rend(); ++it) {
        if (*it && (*it)->isVisible()) {
            m_displayServer.KeepBelow(m_overlay.winId(), (*it)->winId());
            return;
        }
    }
    // Every shown window of a tier, the lower tiers first; within a tier the order they were
    // made in.
    std::vector<std::pair<EStackTier, QWidget*>> stacked;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == &m_overlay || !window->isVisible())
            continue;
        if (const std::optional<EStackTier> tier = StackTierOf(window))
            stacked.emplace_back(*tier, window);
    }
    std::stable_sort(stacked.begin(), stacked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<WId> order{m_overlay.winId()};
    for (const auto& [tier, window] : stacked)
        order.push_back(window->winId());
    m_displayServer.KeepOnTop(order);
}

bool CWindowStacking::OnShowOrHide(QObject* watched, QEvent* event) {
    const bool shown = event->type() == QEvent::Show;
    if (!shown && event->type() != QEvent::Hide)
        return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (dialog && dialog->isWindow()) {
        if (shown)
            m_openDialogs.emplace_back(dialog);
        else
            std::erase_if(m_openDialogs,
                          [dialog](const QPointer<QWidget>& d) { return !d || d == dialog; });
        // A dialog's window (and a window manager's frame around it) appears a moment later;
        // the stacking change it causes comes back here through Keep, which puts the overlay
        // below it.
        Keep();
        return true;
    }
    if (shown && watched->isWidgetType() && StackTierOf(static_cast<QWidget*>(watched))) {
        // A popup or a notice maps on top of us, but the restack its mapping causes would put
        // the overlay over it again: order it now.
        Keep();
    }
    return false;
}
