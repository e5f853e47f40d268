#pragma once
// What the drawing tools draw with: colours, widths and sizes, as the commands and the
// right-click menus set them. One value the overlay keeps and every tool reads.
#include "CommandIds.h"
#include "GraphicsTypes.h"

struct CToolValues {
    float penWidth = 5.0f;
    ARGB penColour = 0xFFFF0000;
    int markerWidth = 20;
    ARGB markerColour = 0x8FFFFF00;
    int eraserWidth = 40;
    int textSize = 36;
    ARGB textColour = 0xFF0000FF;

    // A value command (a pen colour, a text size...) applied; returns the number of the tool
    // whose value it is, or -1 for an identifier that is none.
    int Apply(CommandId id);

    // The values behind the menu commands; each takes an identifier of its own range.
    static ARGB PenColourOf(CommandId id);
    static float PenWidthOf(CommandId id);
    static ARGB MarkerColourOf(CommandId id);
    static int EraserWidthOf(CommandId id);
    // Text colours come in two ranges; an identifier of neither leaves `current`.
    static ARGB TextColourOf(CommandId id, ARGB current);
    static int TextSizeOf(CommandId id);
    // Every marker colour comes at this width.
    static constexpr int kMarkerWidth = 20;
};
