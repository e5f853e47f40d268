#pragma once
// The text tool: a press places the text line and opens the speech bubble by it; what is typed
// shows as a live preview with a dotted frame until Enter writes it into the page or Escape
// drops it. The bubble keeps its relative place when the overlay moves to another display.
#include "ITool.h"
#include "IToolHost.h"

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

class CTextTool : public ITool {
public:
    CTextTool(IToolHost& host, CTextWindow& window, IDisplayServer& displayServer);

    bool WritesPage() const override { return false; }
    void Press(const QPoint& at) override;
    void Move(const QPoint& at) override;
    void Release(const QPoint& at) override;
    void Cancel() override { m_dragging = false; }
    // The preview follows the typing while the bubble is open, whichever tool is current.
    bool WantsTicks() const override;
    void Tick(std::uint32_t nowMs) override;
    QCursor Cursor() override { return QCursor(Qt::ArrowCursor); }
    QString MenuCaption() const override { return QStringLiteral("text"); }

    // The text typed so far goes into the page as one undo step.
    void Commit();
    // The text and its preview are dropped.
    void Discard();

    // The overlay went from `oldRect` to `newRect`: an open bubble and the anchor keep their
    // relative place.
    void FollowDisplay(const QRect& oldRect, const QRect& newRect);

    // Draws the text at its anchor; the preview adds a dotted frame around it. Returns the box
    // it covers, frame included.
    static QRect Draw(QImage& target, const CTextLook& look, bool preview);

    // What is typed, and where its line is anchored (overlay coordinates).
    QString text;
    QPointF anchor;

private:
    CTextLook Look() const;
    // Puts the bubble by the line at `point`; on a press it also shows the bubble and gives it
    // the keyboard.
    void PlaceWindow(const QPoint& point, bool show);

    IToolHost& m_host;
    CTextWindow& m_window;
    IDisplayServer& m_displayServer;
    bool m_dragging = false;
};
