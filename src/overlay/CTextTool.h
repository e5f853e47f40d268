#pragma once
// The text tool's work: placing the speech bubble by the text line, drawing the text (and its
// live preview with a dotted frame) and keeping the bubble in its relative place when the
// overlay moves to another display. The overlay owns the text, its anchor and its look, and
// hands them in.
#include "GraphicsTypes.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QString>

class CTextWindow;
class IDisplayServer;

struct CTextLook {
    QString text;
    QPointF anchor; // overlay coordinates
    int sizePt = 36;
    ARGB colour = 0xFF0000FF;
};

class CTextTool {
public:
    CTextTool(CTextWindow& window, IDisplayServer& displayServer);

    // Puts the bubble by the line at `point` (overlay coordinates) of the overlay covering
    // `area`, the line measured as it will be drawn on `surface`; on a press it also shows the
    // bubble and gives it the keyboard.
    void PlaceWindow(QImage& surface, const QRect& area, const QPoint& point, int textSizePt,
                     bool show);

    // Draws the text at its anchor; the preview adds a dotted frame around it. Returns the box
    // it covers, frame included.
    static QRect Draw(QImage& target, const CTextLook& look, bool preview);
    // The box (overlay coordinates) that drawing the text onto `target` can change, known before
    // drawing: the undo history saves what lies under it first.
    static QRectF InkBounds(QImage& target, const CTextLook& look);

    // One preview tick: the last preview's box is restored from the page over the background,
    // the preview drawn again within `bounds`. Returns the box that changed on the surface.
    QRect DrawPreview(QImage& surface, const QImage& page, ARGB backgroundColour,
                      const CTextLook& look, const QRect& bounds);
    // The surface was rebuilt: no preview is left on it.
    void ForgetPreview() { m_previewBox = QRect(); }

    // The overlay went from `oldRect` to `newRect`: an open bubble and the anchor keep their
    // relative place.
    void FollowDisplay(const QRect& oldRect, const QRect& newRect, float& anchorX, float& anchorY);

private:
    CTextWindow& m_window;
    IDisplayServer& m_displayServer;
    QRect m_previewBox; // where the last preview was drawn
};
