#pragma once
// Dialogs for tests: questions are answered from a queue (Yes when it is empty) and recorded.
#include "CMenuResource.h"
#include "IDialogs.h"

#include <QStringList>
#include <deque>
#include <functional>

class CFakeDialogs : public IDialogs {
public:
    bool AskYesNo(QWidget*, const QString& text, const QString& caption) override {
        questions << caption + ": " + text;
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowNotice(const QString& text) override { notices << text; }
    void ShowWarning(QWidget*, const QString& text, const QString& caption) override {
        warnings << caption + ": " + text;
    }
    CSaveFileChoice GetSaveFileName(QWidget*, const QString& title, const QStringList& filters,
                                    int selectedFilter) override {
        saveDialogs << title + " " + filters.join('|') + " " + QString::number(selectedFilter);
        if (whileSaveDialogOpen)
            whileSaveDialogOpen();
        return {saveAnswer, saveFilterAnswer >= 0 ? saveFilterAnswer : selectedFilter};
    }
    CommandId TrackPopupMenu(QWidget*, const CMenuPopup& popup, const QPoint& at) override {
        popups << popup.caption;
        lastPopup = popup;
        popupPositions.push_back(at);
        return popupChoice;
    }

    bool RunModal(QDialog& dialog) override {
        ++modalRuns;
        return onModal ? onModal(dialog) : false;
    }

    std::deque<bool> answers;
    // Plays the user's part in a modal dialog; its result is the dialog's (true: confirmed).
    std::function<bool(QDialog&)> onModal;
    int modalRuns = 0;
    QStringList questions;
    QStringList notices;
    QStringList warnings;
    QStringList saveDialogs;
    QString saveAnswer;
    // The file type chosen in the Save As dialog; -1 leaves the one selected at first.
    int saveFilterAnswer = -1;
    // Runs while the Save As dialog is open (what a shortcut could do then).
    std::function<void()> whileSaveDialogOpen;
    QStringList popups;
    CMenuPopup lastPopup;
    std::vector<QPoint> popupPositions;
    CommandId popupChoice = 0;
};
