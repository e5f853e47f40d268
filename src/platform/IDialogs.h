#pragma once
// The program's questions and messages, behind an interface so that tests answer them without
// a modal loop.
#include "CSaveFileChoice.h"
#include "CommandIds.h"

#include <QDialog>
#include <QPoint>
#include <QString>
#include <QStringList>

class QWidget;
struct CMenuPopup;

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A Yes/No question with a question icon; true for Yes.
    virtual bool AskYesNo(QWidget* owner, const QString& text, const QString& caption) = 0;
    // A short note that needs no answer and must not block anything.
    virtual void ShowNotice(const QString& text) = 0;
    // A message the user must see, with a warning icon and an OK button.
    virtual void ShowWarning(QWidget* owner, const QString& text, const QString& caption) = 0;
    // The Save As dialog: the chosen path (empty when cancelled) and the filter chosen with it.
    // `filters` are "Name(*.ext)" entries; `selectedFilter` indexes the one chosen at first. The
    // dialog itself does not ask about replacing a file (the caller does, once the name is
    // final: CSaveFileChoice::FinalPath).
    virtual CSaveFileChoice GetSaveFileName(QWidget* owner, const QString& title,
                                            const QStringList& filters, int selectedFilter) = 0;
    // Shows a popup menu at a screen point; the chosen item's command, or 0.
    virtual CommandId TrackPopupMenu(QWidget* owner, const CMenuPopup& popup,
                                     const QPoint& screenPosition) = 0;
    // Runs one of the program's own dialogs (Preferences) modally; true when it was confirmed.
    // Tests fill the dialog's controls and answer instead.
    virtual bool RunModal(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }
};
