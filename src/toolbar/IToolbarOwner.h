#pragma once
// What the toolbar needs of the window that owns it: somewhere to send its commands, the text
// entry to finish first, and the recording state its record group follows.
#include "CommandIds.h"

class QWidget;
class QWindow;

class IToolbarOwner {
public:
    virtual ~IToolbarOwner() = default;
    // Runs the command to its end before returning.
    virtual void SendCommand(CommandId id) = 0;
    // Commits the text being typed, as its own OK button would, when the entry is open.
    virtual void FinishTextEntry() = 0;
    virtual bool IsRecording() const = 0;
    virtual bool IsPaused() const = 0;
    // One of the owner's windows (the overlay, the text entry): the toolbar stays active when
    // the focus moves to it.
    virtual bool IsOwnerWindow(const QWindow* window) const = 0;
    // Gives the keyboard to the toolbar's window, which the window manager does not do for it.
    virtual void GiveKeyboardTo(QWidget* window) = 0;
};
