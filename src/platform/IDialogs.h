#pragma once
// The program's questions and messages, behind an interface so that tests answer them without
// a modal loop.
#include "CommandIds.h"

#include <QPoint>
#include <QString>

class QWidget;
struct CMenuPopup;

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A Yes/No question with a question icon; true for Yes.
    virtual bool AskYesNo(QWidget* owner, const QString& text, const QString& caption) = 0;
    // A short note that needs no answer and must not block anything.
    virtual void ShowNotice(const QString& text) = 0;
    // Shows a popup menu at a screen point; the chosen item's command, or 0.
    virtual CommandId TrackPopupMenu(QWidget* owner, const CMenuPopup& popup,
                                     const QPoint& screenPosition) = 0;
};
