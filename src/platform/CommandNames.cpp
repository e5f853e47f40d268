#include "CommandNames.h"

#include <algorithm>

namespace {
using A = CommandName::EAction;
}

const std::vector<CommandName>& CommandNames::All() {
    static const std::vector<CommandName> names = {
        // Tools.
        {"pen", A::Command, ID_PEN, "Pen tool"},
        {"marker", A::Command, ID_MARKER, "Marker tool"},
        {"eraser", A::Command, ID_ERASER, "Eraser tool"},
        {"text", A::Command, ID_TEXT, "Text tool"},
        {"pointer", A::Command, ID_MOUSE, "Pointer mode: clicks pass through to the desktop"},
        {"pen-black", A::Command, ID_PEN_BLACK, "Pen tool, black"},
        {"pen-blue", A::Command, ID_PEN_BLUE, "Pen tool, blue"},
        {"pen-green", A::Command, ID_PEN_GREEN, "Pen tool, green"},
        {"pen-red", A::Command, ID_PEN_RED, "Pen tool, red"},
        {"pen-white", A::Command, ID_PEN_WHITE, "Pen tool, white"},
        {"pen-yellow", A::Command, ID_PEN_YELLOW, "Pen tool, yellow"},
        {"pen-thinner", A::Command, ID_PEN_THINNER, "Pen tool, width 2.5"},
        {"pen-thin", A::Command, ID_PEN_THIN, "Pen tool, width 5"},
        {"pen-medium", A::Command, ID_PEN_MEDIUM, "Pen tool, width 7.5"},
        {"pen-thick", A::Command, ID_PEN_THICK, "Pen tool, width 10"},
        {"marker-yellow", A::Command, ID_MARKER_YELLOW, "Marker tool, yellow"},
        {"marker-turquoise", A::Command, ID_MARKER_TURQUOISE, "Marker tool, turquoise"},
        {"marker-green", A::Command, ID_MARKER_GREEN, "Marker tool, green"},
        {"marker-pink", A::Command, ID_MARKER_PINK, "Marker tool, pink"},
        {"eraser-small", A::Command, ID_ERASER_SMALL, "Eraser tool, small"},
        {"eraser-medium", A::Command, ID_ERASER_MEDIUM, "Eraser tool, medium"},
        {"eraser-large", A::Command, ID_ERASER_LARGE, "Eraser tool, large"},
        {"text-black", A::Command, ID_TEXT_BLACK, "Text tool, black"},
        {"text-blue", A::Command, ID_TEXT_BLUE, "Text tool, blue"},
        {"text-green", A::Command, ID_TEXT_GREEN, "Text tool, green"},
        {"text-red", A::Command, ID_TEXT_RED, "Text tool, red"},
        {"text-white", A::Command, ID_TEXT_WHITE, "Text tool, white"},
        {"text-yellow", A::Command, ID_TEXT_YELLOW, "Text tool, yellow"},
        {"text-12pt", A::Command, ID_TEXT_12PT, "Text tool, 12 points"},
        {"text-24pt", A::Command, ID_TEXT_24PT, "Text tool, 24 points"},
        {"text-36pt", A::Command, ID_TEXT_36PT, "Text tool, 36 points"},
        {"text-48pt", A::Command, ID_TEXT_48PT, "Text tool, 48 points"},
        // Pages and scenes.
        {"clear", A::Command, ID_CLEAR, "Clear the current page"},
        {"undo", A::Command, ID_UNDO, "Undo the last drawing step on the current page"},
        {"redo", A::Command, ID_REDO, "Redo the drawing step undone last"},
        {"new-page", A::Command, ID_NEW_PAGE, "Insert a new page after the current one"},
        {"next-page", A::Command, ID_NEXT_PAGE, "Show the next page"},
        {"previous-page", A::Command, ID_PREVIOUS_PAGE, "Show the previous page"},
        {"delete-page", A::Command, ID_DELETE_PAGE, "Delete the current page"},
        {"whiteboard", A::Command, ID_WHITEBOARD, "Toggle between the desktop and the last board"},
        {"whiteboard-scene", A::Command, ID_SCENE_WHITEBOARD, "Whiteboard scene"},
        {"blackboard", A::Command, ID_SCENE_BLACKBOARD, "Blackboard scene"},
        {"desktop", A::Command, ID_SCENE_DESKTOP, "Desktop scene"},
        // Screenshots.
        {"save", A::Command, ID_SAVE, "Save a screenshot to an image file"},
        {"copy", A::CopyToClipboard, 0,
         "Copy the clip region, or the primary screen, to the clipboard"},
        // Recording.
        {"record", A::Command, ID_RECORD, "Start or stop a recording"},
        {"pause", A::Command, ID_PAUSE,
         "Pause or resume the recording; while none runs, select the clip region"},
        {"record-mouse", A::Command, ID_RECORD_MOUSE, "Toggle recording the mouse pointer"},
        {"quality-high", A::Command, ID_QUALITY_HIGH, "Recording quality high"},
        {"quality-medium", A::Command, ID_QUALITY_MEDIUM, "Recording quality medium"},
        {"quality-low", A::Command, ID_QUALITY_LOW, "Recording quality low"},
        // Webcam.
        {"webcam", A::Command, ID_WEBCAM, "Show or hide the webcam window"},
        {"webcam-small", A::Command, ID_WEBCAM_SMALL, "Webcam window 160 x 120"},
        {"webcam-medium", A::Command, ID_WEBCAM_MEDIUM, "Webcam window 240 x 180"},
        {"webcam-large", A::Command, ID_WEBCAM_LARGE, "Webcam window 360 x 270"},
        // Toolbar and displays.
        {"toolbar", A::Command, ID_SHOW_TOOLBAR, "Show or hide the toolbar"},
        {"horizontal", A::Command, ID_HORIZONTAL, "Horizontal toolbar"},
        {"vertical", A::Command, ID_VERTICAL, "Vertical toolbar"},
        {"display-1", A::Command, ID_DISPLAY_PRIMARY, "Move the overlay to the first display"},
        {"display-2", A::Command, ID_DISPLAY_EXTENDED, "Move the overlay to the second display"},
        {"display-3", A::Command, ID_DISPLAY_EXTENDED_2, "Move the overlay to the third display"},
        {"display-4", A::Command, ID_DISPLAY_EXTENDED_3, "Move the overlay to the fourth display"},
        // The program.
        {"preferences", A::Command, ID_PREFERENCES, "Show the Preferences"},
        {"help", A::Command, ID_HELP, "Open the user guide"},
        {"about", A::Command, ID_ABOUT, "Show the About box"},
        {"exit", A::Command, ID_EXIT, "Exit Ravlin (asks first)"},
    };
    return names;
}

std::optional<CommandName> CommandNames::Find(const QString& name) {
    const std::vector<CommandName>& names = All();
    const auto it = std::find_if(names.begin(), names.end(), [&](const CommandName& entry) {
        return name == QLatin1String(entry.name);
    });
    if (it == names.end())
        return std::nullopt;
    return *it;
}

QString CommandNames::NameOf(CommandId id) {
    if (id == 0)
        return {};
    for (const CommandName& entry : All())
        if (entry.action == A::Command && entry.id == id)
            return QString::fromLatin1(entry.name);
    return {};
}

QString CommandNames::ListText() {
    qsizetype width = 0;
    for (const CommandName& entry : All())
        width = std::max<qsizetype>(width, qstrlen(entry.name));
    QString text;
    for (const CommandName& entry : All())
        text += QString::fromLatin1(entry.name).leftJustified(width + 2) +
                QString::fromUtf8(entry.description) + "\n";
    return text;
}
