#include "CToolValues.h"

#include "CToolRegistry.h"

ARGB CToolValues::PenColourOf(CommandId id) {
    static constexpr ARGB kColours[] = {0xFF000000, 0xFF0000FF, 0xFF008000,
                                        0xFFFF0000, 0xFFFFFFFF, 0xFFFFFF00};
    return kColours[id - ID_PEN_BLACK];
}

float CToolValues::PenWidthOf(CommandId id) {
    static constexpr float kWidths[] = {2.5f, 5.0f, 7.5f, 10.0f};
    return kWidths[id - ID_PEN_THINNER];
}

ARGB CToolValues::MarkerColourOf(CommandId id) {
    static constexpr ARGB kColours[] = {0x8FFFFF00, 0x8F40E0D0, 0x8F90EE90, 0x8FFFC0CB};
    return kColours[id - ID_MARKER_YELLOW];
}

int CToolValues::EraserWidthOf(CommandId id) {
    static constexpr int kWidths[] = {10, 20, 40};
    return kWidths[id - ID_ERASER_SMALL];
}

ARGB CToolValues::TextColourOf(CommandId id, ARGB current) {
    switch (id) {
    case ID_TEXT_BLACK:
        return 0xFF000000;
    case ID_TEXT_BLUE:
        return 0xFF0000FF;
    case ID_TEXT_GREEN:
        return 0xFF008000;
    case ID_TEXT_RED:
        return 0xFFFF0000;
    case ID_TEXT_WHITE:
        return 0xFFFFFFFF;
    case ID_TEXT_YELLOW:
        return 0xFFFFFF00;
    default:
        return current;
    }
}

int CToolValues::TextSizeOf(CommandId id) {
    static constexpr int kSizes[] = {12, 24, 36, 48};
    return kSizes[id - ID_TEXT_12PT];
}

int CToolValues::Apply(CommandId id) {
    if (id >= ID_PEN_BLACK && id <= ID_PEN_YELLOW) {
        penColour = PenColourOf(id);
        return CToolRegistry::kPen;
    }
    if (id >= ID_PEN_THINNER && id <= ID_PEN_THICK) {
        penWidth = PenWidthOf(id);
        return CToolRegistry::kPen;
    }
    if (id >= ID_MARKER_YELLOW && id <= ID_MARKER_PINK) {
        markerColour = MarkerColourOf(id);
        markerWidth = kMarkerWidth;
        return CToolRegistry::kMarker;
    }
    if (id >= ID_ERASER_SMALL && id <= ID_ERASER_LARGE) {
        eraserWidth = EraserWidthOf(id);
        return CToolRegistry::kEraser;
    }
    if ((id >= ID_TEXT_BLACK && id <= ID_TEXT_RED) ||
        (id >= ID_TEXT_WHITE && id <= ID_TEXT_YELLOW)) {
        textColour = TextColourOf(id, textColour);
        return CToolRegistry::kText;
    }
    if (id >= ID_TEXT_12PT && id <= ID_TEXT_48PT) {
        textSize = TextSizeOf(id);
        return CToolRegistry::kText;
    }
    return -1;
}
