#pragma once
// The eraser: hard-edged lines along the pointer's path that leave the page's empty value, the
// background's alpha-1 white on the desktop and transparent on a board.
#include "CFreehandTool.h"

class CEraserTool : public CFreehandTool {
public:
    using CFreehandTool::CFreehandTool;
    QCursor Cursor() override;
    QString MenuCaption() const override { return QStringLiteral("eraser"); }

protected:
    void DrawSegment(const std::vector<QPoint>& points) override;
};
