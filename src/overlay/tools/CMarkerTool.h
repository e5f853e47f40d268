#pragma once
// The marker: a translucent tint along the pointer's path. Its paint is the page with one layer
// of the marker colour over it, copied onto the page rather than blended, so a stroke crossing
// itself keeps one layer of tint while a second stroke adds another.
#include "CFreehandTool.h"

#include <QImage>

class CMarkerTool : public CFreehandTool {
public:
    using CFreehandTool::CFreehandTool;
    void Resize(const QSize& logicalSize, qreal devicePixelRatio);
    void Chosen() override { RefreshPaint(QRect()); }
    void PageChanged() override { RefreshPaint(QRect()); }
    QCursor Cursor() override;
    QString MenuCaption() const override { return QStringLiteral("marker"); }
    // The paint the next stroke copies from.
    const QImage& Paint() const { return m_paint; }

protected:
    void DrawSegment(const std::vector<QPoint>& points) override;
    void StrokeEnded() override;

private:
    // The paint made again from the page within `box` (overlay coordinates), or everywhere.
    void RefreshPaint(const QRect& box);

    QImage m_paint;
    QRect m_strokeBox; // what the stroke being drawn has covered
};
