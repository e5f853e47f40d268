#pragma once
// Where one of our windows stands among the program's own windows. Our windows bypass the window
// manager, so the program orders them itself every time the stacking changes; a window says
// which tier it belongs to once, and the overlay keeps the tiers in this order, bottom to top:
//
//   the overlay itself (below every tier)
//   Webcam     the floating webcam picture: above the drawings, so they never cover it
//   Toolbar    the toolbar, its tab included
//   Notice     notices and balloons (the no-compositor notice, our own balloon)
//   TextBubble the text-entry bubble, which must stay clickable over a board
//   Popup      drop-downs, right-click popups and tool tips (Qt::Popup and Qt::ToolTip windows
//              join it by themselves)
//
// The program's dialogs (questions, Save As, messages) are above all of these: while one is
// open the overlay stays under it instead of being raised.
//
// The tier is kept on the widget itself, so that windows made below the overlay's layer (the
// dialogs' notice) can join without knowing the overlay.
#include <QVariant>
#include <QWidget>
#include <optional>

enum class EStackTier { Webcam = 1, Toolbar, Notice, TextBubble, Popup };

inline constexpr const char* kStackTierProperty = "ravlinStackTier";

// How far below the top of the work area notices and balloons start (logical pixels): clear of
// the toolbar's first place (10 pixels down, 42 tall), whose buttons they would otherwise cover.
inline constexpr int kBelowToolbarBand = 64;

inline void SetStackTier(QWidget* window, EStackTier tier) {
    if (window)
        window->setProperty(kStackTierProperty, static_cast<int>(tier));
}

// The tier of a top-level window of ours, or none for a window the overlay does not order.
inline std::optional<EStackTier> StackTierOf(const QWidget* window) {
    if (!window || !window->isWindow())
        return std::nullopt;
    const QVariant tier = window->property(kStackTierProperty);
    if (tier.isValid())
        return static_cast<EStackTier>(tier.toInt());
    if (window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
        return EStackTier::Popup;
    return std::nullopt;
}
