#pragma once
// The pen: a smooth, antialiased curve through the pointer's path in the pen's colour and width.
#include "CFreehandTool.h"

class CPenTool : public CFreehandTool {
public:
    using CFreehandTool::CFreehandTool;
    QCursor Cursor() override;
    QString MenuCaption() const override { return QStringLiteral("pen"); }

protected:
    void DrawSegment(const std::vector<QPoint>& points) override;
};
