#pragma once
// The order of our windows on the screen: the overlay at the bottom, each of our other
// top-level windows in its tier above it (StackTier.h gives the tiers), and while one of our
// own dialogs is open, the overlay just below that dialog so nothing of ours covers it.
#include "IDisplayServer.h"
#include "StackTier.h"

#include <QPointer>
#include <QWidget>
#include <vector>

class QEvent;

class CWindowStacking {
public:
    CWindowStacking(QWidget& overlay, IDisplayServer& displayServer)
        : m_overlay(overlay), m_displayServer(displayServer) {}

    // Puts a window into a tier; from then on every restack keeps it there.
    void Add(QWidget* window, EStackTier tier);
    // Puts every shown window back in its place (after any stacking change on the screen).
    void Keep();
    // From now on nothing is restacked: the program is going away.
    void Stop() { m_stopped = true; }
    // Show and hide events of every widget of the application. True when one of our dialogs
    // opened or closed.
    bool OnShowOrHide(QObject* watched, QEvent* event);
    bool IsDialogOpen() const { return !m_openDialogs.empty(); }

private:
    QWidget& m_overlay;
    IDisplayServer& m_displayServer;
    std::vector<QPointer<QWidget>> m_openDialogs; // in the order they opened
    bool m_stopped = false;
};
