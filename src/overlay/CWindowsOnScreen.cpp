#include "CWindowsOnScreen.h"

#include "CRavlinToolbar.h"
#include "CScreenFit.h"
#include "StackTier.h"

#include <QApplication>

void CWindowsOnScreen::Keep(const _DisplayContext& displays) {
    std::vector<QRect> workAreas;
    for (const _DisplayEntry& entry : displays.Displays())
        workAreas.push_back(entry.workArea.isEmpty() ? entry.monitorRect : entry.workArea);
    const QRect home = displays.OverlayRect();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const std::optional<EStackTier> tier = StackTierOf(window);
        if (!tier || (*tier != EStackTier::Webcam && *tier != EStackTier::Toolbar &&
                      *tier != EStackTier::Notice))
            continue;
        if (auto* toolbar = dynamic_cast<CRavlinToolbar*>(window)) {
            toolbar->KeepOnScreen(workAreas, home);
            continue;
        }
        // A hidden webcam window comes back where it was: that place must be on a screen too.
        const QRect frame = window->frameGeometry();
        const QRect fitted = CScreenFit::Fit(frame, workAreas, home);
        if (fitted != frame)
            window->move(fitted.topLeft());
    }
}
