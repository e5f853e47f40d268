#pragma once
// The cursors of the drawing tools: 16 x 16 pictures whose exact-white pixels take the tool's
// colour (pen and marker), with the hot spot at the tip.
#include "GraphicsTypes.h"

#include <QCursor>
#include <QImage>

class CToolCursors {
public:
    static constexpr QPoint kHotSpot{1, 1};
    // Tool 0 pen (resource 129) in the pen colour, 1 marker (130) in the marker colour at full
    // opacity, 2 eraser (131) unchanged; null for other tools or when the picture is missing.
    static QImage Picture(int tool, ARGB colour);
    // The cursor for a tool; a cross when its picture is missing, so the tip is still clear.
    static QCursor Build(int tool, ARGB colour);
};
